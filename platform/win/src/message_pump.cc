// The shared steps of message loops: ready messages in Windows' order (posted,
// quit, paint, timers), clock moves to the next timer, real-time waits for
// outside input and the end of a wait nothing can end.
#include "message_pump.h"

#include <chrono>

#include "modeless_answers.h"
#include "ui_trace.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win::detail {

namespace {

HWND const kThreadOnly = handleFromValue<HWND>(static_cast<std::uintptr_t>(-1));

bool takePosted(ThreadQueue& q, const MessageFilter& f, bool remove, MSG* out) {
  auto& state = windowState();
  std::lock_guard lock(q.mutex);
  for (auto it = q.posted.begin(); it != q.posted.end();) {
    const MSG& m = it->msg;
    if (m.hwnd && !state.find(m.hwnd)) {  // its window is gone
      it = q.posted.erase(it);
      continue;
    }
    if (f.passesWindow(m.hwnd) && f.passesMessage(m.message)) {
      *out = m;
      if (remove) q.posted.erase(it);
      return true;
    }
    ++it;
  }
  return false;
}

bool takeQuit(ThreadQueue& q, const MessageFilter& f, bool remove, MSG* out) {
  std::lock_guard lock(q.mutex);
  if (!q.quit || !f.takesQuit || !f.passesWindow(nullptr) || !f.passesMessage(WM_QUIT)) return false;
  *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q.quitCode), 0, GetTickCount(), {}};
  if (remove) q.quit = false;
  return true;
}

bool takePaint(ThreadQueue& q, const MessageFilter& f, MSG* out) {
  if (!f.passesMessage(WM_PAINT)) return false;
  for (auto& w : windowState().all()) {
    if (w->thread != q.id || !w->hasUpdate || w->foreign || !f.passesWindow(w->hwnd)) continue;
    if (!isVisible(w->hwnd)) continue;
    *out = MSG{w->hwnd, WM_PAINT, 0, 0, GetTickCount(), {}};
    return true;
  }
  return false;
}

bool takeTimer(ThreadQueue& q, const MessageFilter& f, bool remove, MSG* out) {
  if (!f.passesMessage(WM_TIMER)) return false;
  std::uint64_t now = machine().clock().elapsedMs();
  TimerEntry fired;
  {
    std::lock_guard lock(q.mutex);
    TimerEntry* best = nullptr;
    for (auto& t : q.timers) {
      if (t.due > now || !f.passesWindow(t.hwnd)) continue;
      if (!best || t.due < best->due || (t.due == best->due && t.order < best->order)) best = &t;
    }
    if (!best) return false;
    *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc), static_cast<DWORD>(now), {}};
    if (!remove) return true;
    best->due = now + best->elapse;
    fired = *best;
  }
  trace("timer-fired", JsonObject().add("hwnd", hv(fired.hwnd)).add("id", static_cast<std::uint64_t>(fired.id)));
  return true;
}

}  // namespace

bool MessageFilter::passesMessage(UINT message) const {
  if (min == 0 && max == 0) return true;
  return message >= min && message <= max;
}

bool MessageFilter::passesWindow(HWND window) const {
  if (!hwnd) return true;
  if (hwnd == kThreadOnly) return window == nullptr;
  return window == hwnd;
}

void runTasks(ThreadQueue& q) {
  for (int n = 0; n < kIdleMessageLimit; ++n) {
    std::function<void()> task;
    {
      std::lock_guard lock(q.mutex);
      if (q.tasks.empty()) return;
      task = std::move(q.tasks.front());
      q.tasks.pop_front();
    }
    task();
  }
}

bool takeReadyMessage(ThreadQueue& q, const MessageFilter& filter, bool remove, MSG* out) {
  runTasks(q);
  return takePosted(q, filter, remove, out) || takeQuit(q, filter, remove, out) || takePaint(q, filter, out) ||
         takeTimer(q, filter, remove, out);
}

std::optional<std::uint64_t> nextDueTimer(ThreadQueue& q, const MessageFilter& filter) {
  if (!filter.passesMessage(WM_TIMER)) return std::nullopt;
  std::lock_guard lock(q.mutex);
  std::optional<std::uint64_t> due;
  for (const auto& t : q.timers)
    if (filter.passesWindow(t.hwnd) && (!due || t.due < *due)) due = t.due;
  return due;
}

void moveClockTo(ThreadQueue& q, std::uint64_t due) {
  auto& clock = machine().clock();
  if (clock.isVirtual()) {
    clock.advanceTo(due);
    return;
  }
  std::uint64_t now = clock.elapsedMs();
  if (due > now) waitRealTimeForInput(q, due - now);
}

bool waitRealTimeForInput(ThreadQueue& q, std::uint64_t ms) {
  std::unique_lock lock(q.mutex);
  return q.wake.wait_for(lock, std::chrono::milliseconds(ms), [&] {
    if (!q.tasks.empty()) return true;
    for (const auto& p : q.posted)
      if (p.outside) return true;
    return false;
  });
}

void waitForReadyMessage(ThreadQueue& q, const MessageFilter& filter, bool remove, MSG* out, WaitKind kind,
                         const std::string& what) {
  bool program = kind == WaitKind::Program;
  for (;;) {
    if (takeReadyMessage(q, filter, remove, out)) return;
    if (program && answerIdleModelessDialog(q)) continue;
    if (auto due = nextDueTimer(q, filter)) {
      moveClockTo(q, *due);
      continue;
    }
    if (q.receivesOutsideInput) {
      if (waitRealTimeForInput(q, kOutsideInputGuardMs)) continue;
      machine().exitStuck(what + " waited " + std::to_string(kOutsideInputGuardMs / 1000) +
                          " s for outside input and none came" + openDialogsNote(q));
    }
    if (program && pressUnscriptedModelessDialog(q)) continue;
    machine().exitStuck(what + " waits for ever: no message, timer or outside input can come" + openDialogsNote(q));
  }
}

}  // namespace win::detail
