// Modeless dialogs and the answers file: lines taken when the pump is idle, the
// default button when a wait could never end otherwise, and the note a stuck
// wait gives about the dialogs still open.
#include "modeless_answers.h"

#include "answer_apply.h"
#include "answers_engine.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win::detail {

namespace {

// The open modeless dialogs of q a user could act on: visible, enabled, not ended.
std::vector<HWND> openModelessDialogs(ThreadQueue& q) {
  std::vector<HWND> out;
  for (auto& w : windowState().all()) {
    auto* d = dialogOf(*w);
    if (!d || d->modal || d->ended || d->answering || w->thread != q.id || w->destroying) continue;
    if ((w->style & WS_DISABLED) || !isVisible(w->hwnd)) continue;
    out.push_back(w->hwnd);
  }
  return out;
}

}  // namespace

bool answerIdleModelessDialog(ThreadQueue& q) {
  if (!answers().configured()) return false;
  for (HWND dialog : openModelessDialogs(q)) {
    DialogKeys keys = dialogKeys(dialog);
    auto next = answers().next([&](const AnswerLine& line) { return keyNamesDialog(line, keys); });
    if (!next.line) return false;
    if (!next.taken) continue;
    auto w = windowState().find(dialog);
    auto* d = w ? dialogOf(*w) : nullptr;
    if (!d) return true;
    d->answering = true;
    d->pendingLine = *next.line;
    PostMessage(dialog, kAnswerInputMessage, 0, 0);
    return true;
  }
  return false;
}

bool dispatchAnswerInput(const MSG& msg) {
  if (msg.message != kAnswerInputMessage) return false;
  auto w = windowState().find(msg.hwnd);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d || !d->answering) return true;
  if (d->pendingLine) {
    AnswerLine line = std::move(*d->pendingLine);
    d->pendingLine.reset();
    applyDialogLine(msg.hwnd, line, false);
  } else if (d->pendingDefault) {
    d->pendingDefault = false;
    int id = defaultButtonOf(msg.hwnd);
    std::string why;
    if (canPress(msg.hwnd, id, &why)) {
      traceAnswer(dialogKeys(msg.hwnd).primary(), nullptr, "unscripted", id);
      pressButton(msg.hwnd, id);
    }
  }
  if (auto again = windowState().find(msg.hwnd); again && again->dialog) again->dialog->answering = false;
  return true;
}

bool pressUnscriptedModelessDialog(ThreadQueue& q) {
  auto dialogs = openModelessDialogs(q);
  if (dialogs.empty() || answers().next([](const AnswerLine&) { return false; }).line)
    return false;  // nothing open, or lines are left but not for it
  for (HWND dialog : dialogs) {
    auto w = windowState().find(dialog);
    auto* d = w ? dialogOf(*w) : nullptr;
    if (!d || d->unscriptedPresses >= kUnscriptedPressLimit) continue;
    int id = defaultButtonOf(dialog);
    std::string why;
    if (!canPress(dialog, id, &why)) continue;
    ++d->unscriptedPresses;
    d->answering = true;
    d->pendingDefault = true;
    PostMessage(dialog, kAnswerInputMessage, 0, 0);
    return true;
  }
  return false;
}

std::string openDialogsNote(ThreadQueue& q) {
  std::string note;
  auto dialogs = openModelessDialogs(q);
  if (dialogs.empty()) return note;
  auto next = answers().next([](const AnswerLine&) { return false; });
  for (HWND dialog : dialogs) {
    DialogKeys keys = dialogKeys(dialog);
    note += "; dialog " + keys.primary() + " (\"" + keys.caption + "\") is open and ";
    note += next.line ? describeLine(*next.line) + " is not for it" : "no answers line is left for it";
  }
  return note;
}

}  // namespace win::detail
