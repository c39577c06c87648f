// Posting and retrieving messages: PostMessage, PostThreadMessage,
// PostQuitMessage, GetMessage, PeekMessage, WaitMessage and DispatchMessage.
#include <algorithm>

#include "broadcast.h"
#include "message_pump.h"
#include "modeless_answers.h"
#include "win/error.h"
#include "win/outside_input.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

HWND const kThreadOnly = handleFromValue<HWND>(static_cast<std::uintptr_t>(-1));

void post(ThreadQueue& q, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  bool outside = windowState().currentQueue().id != q.id;
  {
    std::lock_guard lock(q.mutex);
    q.posted.push_back(PostedMessage{MSG{hwnd, message, wParam, lParam, GetTickCount(), {}}, outside});
  }
  q.wake.notify_all();
  if (outside) wakeProcessWaits();
}

bool badFilterWindow(HWND hwnd) { return hwnd && hwnd != kThreadOnly && !windowOf(hwnd); }

}  // namespace

BOOL PostMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) return detail::broadcast(message, wParam, lParam, true) ? TRUE : FALSE;
  if (!hwnd) {
    post(windowState().currentQueue(), nullptr, message, wParam, lParam);
    return TRUE;
  }
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  if (w->foreign) return TRUE;  // another program's window: delivered nowhere here
  auto q = windowState().queue(w->thread);
  if (!q) return FALSE;
  post(*q, hwnd, message, wParam, lParam);
  return TRUE;
}

BOOL PostThreadMessage(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam) {
  auto q = windowState().queue(thread);
  if (!q) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  post(*q, nullptr, message, wParam, lParam);
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  auto& q = windowState().currentQueue();
  {
    std::lock_guard lock(q.mutex);
    q.quit = true;
    q.quitCode = exitCode;
  }
  q.wake.notify_all();
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg || badFilterWindow(hwnd)) return -1;
  auto& q = windowState().currentQueue();
  q.emptyPeekSince.reset();
  detail::waitForReadyMessage(q, detail::MessageFilter{hwnd, filterMin, filterMax}, true, msg,
                              detail::WaitKind::Program, "GetMessage");
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMsg) {
  if (!msg || badFilterWindow(hwnd)) return FALSE;
  auto& q = windowState().currentQueue();
  detail::MessageFilter filter{hwnd, filterMin, filterMax};
  for (;;) {
    if (detail::takeReadyMessage(q, filter, (removeMsg & PM_REMOVE) != 0, msg)) {
      q.emptyPeekSince.reset();
      return TRUE;
    }
    if (!detail::answerIdleModelessDialog(q)) break;
  }
  auto& clock = machine().clock();
  std::uint64_t now = clock.elapsedMs();
  if (!q.emptyPeekSince)
    q.emptyPeekSince = now;
  else if (now - *q.emptyPeekSince > kIdlePollGuardMs)
    machine().exitStuck("PeekMessage found nothing for " + std::to_string(kIdlePollGuardMs / 1000) +
                        " s of virtual time" + detail::openDialogsNote(q));
  // One tick, or less when a timer falls due within it: a polling loop reaches its timer at
  // the timer's own time and never runs past it.
  std::uint64_t step = kEmptyPeekTickMs;
  if (auto due = detail::nextDueTimer(q, filter); due && *due > now) step = std::min(step, *due - now);
  clock.advanceBy(step);
  return FALSE;
}

BOOL WaitMessage() {
  auto& q = windowState().currentQueue();
  q.emptyPeekSince.reset();
  MSG msg{};
  detail::waitForReadyMessage(q, detail::MessageFilter{}, false, &msg, detail::WaitKind::Program, "WaitMessage");
  return TRUE;
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

LRESULT DispatchMessage(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
    return 0;
  }
  if (!msg->hwnd) return 0;
  if (detail::dispatchAnswerInput(*msg)) return 0;
  auto w = windowOf(msg->hwnd);
  if (!w) return 0;
  if (w->thread != windowState().currentQueue().id) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return 0;
  }
  LRESULT r = detail::callProcedure(w, msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT)
    detail::validateSilently(msg->hwnd);  // a procedure that did not paint is not asked again
  return r;
}

}  // namespace win
