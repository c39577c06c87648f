// The modal dialog loop: the owner is disabled, the dialog shown and announced;
// whenever its queue is idle the dialog takes its next answers line (or, with no
// line left, its default button once, then waits to end itself) until it ends.
#include "answer_apply.h"
#include "answers_engine.h"
#include "message_pump.h"
#include "ui_trace.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

// Dispatches what is ready (posted messages, paints, due timers) without moving the clock.
void dispatchIdle(ThreadQueue& q, HWND dialog) {
  detail::MessageFilter filter;
  filter.takesQuit = false;
  for (int n = 0; n < kIdleMessageLimit; ++n) {
    MSG msg{};
    if (!detail::takeReadyMessage(q, filter, true, &msg)) return;
    DispatchMessage(&msg);
  }
  machine().exitStuck("dialog " + dialogKeys(dialog).primary() + ": messages keep coming without end");
}

void pressUnscripted(HWND dialog, DialogState& d) {
  if (d.unscriptedPresses++ > 0) {
    waitForDialogEnd(dialog, nullptr);  // pressed once already: it can only end itself now
    return;
  }
  int id = defaultButtonOf(dialog);
  std::string why;
  std::string key = dialogKeys(dialog).primary();
  if (!canPress(dialog, id, &why))
    answersStuck(nullptr, "dialog " + key + " has no answers line left and its default button " + std::to_string(id) +
                              " cannot be pressed: " + why);
  traceAnswer(key, nullptr, "unscripted", id);
  pressButton(dialog, id);
}

void answerStep(HWND dialog, DialogState& d) {
  DialogKeys keys = dialogKeys(dialog);
  auto next = answers().next([&](const AnswerLine& line) { return keyNamesDialog(line, keys); });
  if (!next.line) {
    pressUnscripted(dialog, d);
    return;
  }
  if (!next.taken)
    answersStuck(next.line, "it is not for dialog " + keys.primary() + " (\"" + keys.caption + "\"), which is open");
  applyDialogLine(dialog, *next.line, true);
}

}  // namespace

INT_PTR runModalDialog(HWND dialog) {
  auto w = windowState().find(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d) return -1;
  HWND owner = w->parent ? w->parent : w->owner;
  bool disabledOwner = owner && IsWindowEnabled(owner);
  if (disabledOwner) EnableWindow(owner, FALSE);
  if (!d->ended) {
    if (!(w->style & WS_VISIBLE)) detail::showWindow(dialog, SW_SHOWNORMAL, false);
    announceDialog(dialog);
  }
  auto& q = windowState().currentQueue();
  while (IsWindow(dialog) && !d->ended) {
    dispatchIdle(q, dialog);
    if (!IsWindow(dialog) || d->ended) break;
    answerStep(dialog, *d);
  }
  if (disabledOwner && IsWindow(owner)) EnableWindow(owner, TRUE);
  INT_PTR result = d->result;
  if (IsWindow(dialog)) DestroyWindow(dialog);
  return result;
}

}  // namespace win
