// Timers on the virtual clock: SetTimer and KillTimer. A timer lives in the
// queue of its window's thread (a thread timer in the caller's) and fires when
// the thread's pump finds it due; [failures] settimer makes SetTimer fail.
#include <algorithm>
#include <string>

#include "platform/faults.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

std::shared_ptr<ThreadQueue> queueFor(HWND hwnd) {
  if (!hwnd) {
    auto& state = windowState();
    return state.queue(state.currentQueue().id);
  }
  auto w = windowOf(hwnd);
  if (!w || w->foreign) return nullptr;
  return windowState().queue(w->thread);
}

UINT clampElapse(UINT elapse) { return std::clamp<UINT>(elapse, kTimerMinimumMs, 0x7FFFFFFF); }

}  // namespace

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  auto q = queueFor(hwnd);
  if (!q) return 0;
  std::uint64_t now = machine().clock().elapsedMs();
  UINT ms = clampElapse(elapse);
  UINT_PTR result;
  {
    std::lock_guard lock(q->mutex);
    auto it = std::find_if(q->timers.begin(), q->timers.end(),
                           [&](const TimerEntry& t) { return t.hwnd == hwnd && (hwnd || id) && t.id == id; });
    UINT_PTR timerId = it != q->timers.end() || hwnd ? id : q->nextThreadTimer;
    if (platform::shouldFail(platform::FaultOp::SetTimer, std::to_string(timerId))) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return 0;
    }
    if (it == q->timers.end()) {
      if (!hwnd) ++q->nextThreadTimer;
      q->timers.push_back(TimerEntry{hwnd, timerId, ms, proc, now + ms, q->timerOrder++});
    } else {
      it->elapse = ms;
      it->proc = proc;
      it->due = now + ms;
    }
    result = hwnd ? (id ? id : 1) : timerId;
    id = timerId;
  }
  q->wake.notify_all();
  detail::trace("timer-set", JsonObject()
                                 .add("hwnd", detail::hv(hwnd))
                                 .add("id", static_cast<std::uint64_t>(id))
                                 .add("ms", static_cast<std::uint64_t>(ms)));
  return result;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
  auto q = queueFor(hwnd);
  if (!q) return FALSE;
  {
    std::lock_guard lock(q->mutex);
    auto it = std::find_if(q->timers.begin(), q->timers.end(),
                           [&](const TimerEntry& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == q->timers.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    q->timers.erase(it);
  }
  detail::trace("timer-killed", JsonObject().add("hwnd", detail::hv(hwnd)).add("id", static_cast<std::uint64_t>(id)));
  return TRUE;
}

}  // namespace win
