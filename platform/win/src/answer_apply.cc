// Answers lines applied to dialogs. Actions reach only controls a user could
// use (present, visible, enabled, of the right kind); anything else ends the
// process with status 3 naming the line.
#include "answer_apply.h"

#include <chrono>

#include "answers_engine.h"
#include "control_procs.h"
#include "message_pump.h"
#include "platform/files.h"
#include "ui_trace.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

std::shared_ptr<Window> usableControl(HWND dialog, const AnswerLine& line, const AnswerAction& a) {
  HWND control = GetDlgItem(dialog, a.id);
  auto c = control ? windowState().find(control) : nullptr;
  std::string id = std::to_string(a.id);
  if (!c) answersStuck(&line, "the dialog has no control " + id);
  if (!(c->style & WS_VISIBLE)) answersStuck(&line, "control " + id + " is hidden");
  if (c->style & WS_DISABLED) answersStuck(&line, "control " + id + " is disabled");
  return c;
}

void applySet(const std::shared_ptr<Window>& c, const AnswerLine& line, const AnswerAction& a) {
  auto* combo = stateOf<ListState>(*c);
  bool editable = stateOf<EditState>(*c) ||
                  (combo && combo->kind == ControlKind::ComboBox && (c->style & CBS_TYPEMASK) != CBS_DROPDOWNLIST);
  if (!editable) answersStuck(&line, "control " + std::to_string(a.id) + " takes no typed text");
  std::string text = a.text;
  if (auto* edit = stateOf<EditState>(*c); edit && text.size() > edit->limit) text.resize(edit->limit);
  SendMessage(c->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void applySelect(const std::shared_ptr<Window>& c, const AnswerLine& line, const AnswerAction& a) {
  auto* list = stateOf<ListState>(*c);
  std::string id = std::to_string(a.id);
  if (!list) answersStuck(&line, "control " + id + " is no list box or combo box");
  for (int i : a.indexes)
    if (i >= static_cast<int>(list->items.size()))
      answersStuck(&line, "control " + id + " has no item " + std::to_string(i) + " (it has " +
                              std::to_string(list->items.size()) + ")");
  bool combo = list->kind == ControlKind::ComboBox;
  if (isMultipleSelection(*c)) {
    SendMessage(c->hwnd, LB_SETSEL, FALSE, -1);
    for (int i : a.indexes) SendMessage(c->hwnd, LB_SETSEL, TRUE, i);
    return;
  }
  if (a.indexes.size() > 1) answersStuck(&line, "control " + id + " takes one selection only");
  int i = a.indexes.empty() ? -1 : a.indexes[0];
  SendMessage(c->hwnd, combo ? CB_SETCURSEL : LB_SETCURSEL, static_cast<WPARAM>(i), 0);
}

void applyCheck(const std::shared_ptr<Window>& c, const AnswerLine& line, const AnswerAction& a) {
  if (!stateOf<ButtonState>(*c) || !(isCheckBox(*c) || isRadioButton(*c)))
    answersStuck(&line, "control " + std::to_string(a.id) + " is no check box or radio button");
  if (a.value && buttonType(*c) == BS_AUTORADIOBUTTON)
    checkRadioInGroup(*c);
  else
    SendMessage(c->hwnd, BM_SETCHECK, a.value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void applyActions(HWND dialog, const AnswerLine& line) {
  for (const auto& a : line.actions) {
    auto c = usableControl(dialog, line, a);
    switch (a.kind) {
      case AnswerAction::Kind::Set:
        applySet(c, line, a);
        break;
      case AnswerAction::Kind::Select:
        applySelect(c, line, a);
        break;
      case AnswerAction::Kind::Check:
        applyCheck(c, line, a);
        break;
      case AnswerAction::Kind::Notify:
        SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(a.id), static_cast<WORD>(a.value)),
                    reinterpret_cast<LPARAM>(c->hwnd));
        break;
    }
    if (!IsWindow(dialog)) answersStuck(&line, "the dialog went while its actions were applied");
  }
}

void press(HWND dialog, const AnswerLine& line, const char* how) {
  std::string why;
  if (!canPress(dialog, line.button, &why)) answersStuck(&line, why);
  traceAnswer(dialogKeys(dialog).primary(), &line, how, line.button);
  pressButton(dialog, line.button);
}

}  // namespace

void traceAnswer(const std::string& key, const AnswerLine* line, const char* how, int button) {
  JsonObject f;
  f.add("key", key).add("how", how);
  if (button) f.add("button", button);
  if (line) f.add("line", line->line).add("text", line->raw);
  detail::trace("answer", f);
}

namespace {

bool ended(HWND dialog) {
  auto w = windowState().find(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  return !d || d->ended;
}

}  // namespace

void applyDialogLine(HWND dialog, const AnswerLine& line, bool modal) {
  applyActions(dialog, line);
  if (ended(dialog)) {  // an action (a double-click, say) ended it: its button is not pressed
    traceAnswer(dialogKeys(dialog).primary(), &line, "actions", 0);
    return;
  }
  switch (line.answer) {
    case AnswerLine::Answer::Button:
      press(dialog, line, "line");
      break;
    case AnswerLine::Answer::Wait:
      traceAnswer(dialogKeys(dialog).primary(), &line, "wait", 0);
      if (modal) waitForDialogEnd(dialog, &line);
      break;
    case AnswerLine::Answer::Until:
      if (!holdUntilFile(windowState().currentQueue(), line.untilFile))
        answersStuck(&line,
                     line.untilFile + " did not appear within " + std::to_string(kOutsideInputGuardMs / 1000) + " s");
      if (IsWindow(dialog)) press(dialog, line, "until");
      break;
    case AnswerLine::Answer::File:
      answersStuck(&line, "a file dialog's answer cannot answer dialog " + dialogKeys(dialog).primary());
  }
}

void waitForDialogEnd(HWND dialog, const AnswerLine* line) {
  auto w = windowState().find(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d) return;
  auto& q = windowState().currentQueue();
  std::uint64_t start = machine().clock().elapsedMs();
  std::string what = "dialog " + dialogKeys(dialog).primary() + " waiting to end itself";
  if (line) what = describeLine(*line) + ": " + what;
  detail::MessageFilter filter;
  filter.takesQuit = false;
  while (IsWindow(dialog) && !d->ended) {
    if (machine().clock().elapsedMs() - start > kDialogWaitGuardMs)
      machine().exitStuck(what + " did not end within " + std::to_string(kDialogWaitGuardMs / 1000) +
                          " s of virtual time");
    MSG msg{};
    detail::waitForReadyMessage(q, filter, true, &msg, detail::WaitKind::Dialog, what);
    DispatchMessage(&msg);
  }
}

bool holdUntilFile(ThreadQueue& q, const std::string& file) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOutsideInputGuardMs);
  detail::MessageFilter filter;
  filter.takesQuit = false;
  while (!platform::fileExists(file)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    MSG msg{};
    for (int n = 0; n < kIdleMessageLimit && detail::takeReadyMessage(q, filter, true, &msg); ++n)
      DispatchMessage(&msg);
    detail::waitRealTimeForInput(q, kHoldPollMs);
  }
  return true;
}

}  // namespace win
