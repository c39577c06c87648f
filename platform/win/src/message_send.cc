// SendMessage: the window procedure called on its own thread (another thread's
// window through its queue, bounded in real time), and broadcasts.
#include <chrono>
#include <condition_variable>
#include <cstring>

#include "broadcast.h"
#include "message_pump.h"
#include "thread_input.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

struct PendingSend {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  LRESULT result = 0;
};

// Runs the call on the window's thread and waits for it, serving this thread's own tasks
// meanwhile so that two threads sending to each other do not block for ever.
LRESULT sendToOtherThread(const std::shared_ptr<Window>& w, UINT message, WPARAM wParam, LPARAM lParam) {
  auto pending = std::make_shared<PendingSend>();
  HWND hwnd = w->hwnd;
  bool queued = detail::runOnThread(w->thread, [pending, hwnd, message, wParam, lParam] {
    LRESULT r = SendMessage(hwnd, message, wParam, lParam);
    std::lock_guard lock(pending->mutex);
    pending->result = r;
    pending->finished = true;
    pending->done.notify_all();
  });
  if (!queued) return 0;
  auto& self = windowState().currentQueue();
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kOutsideInputGuardMs);
  while (std::chrono::steady_clock::now() < deadline) {
    {
      std::unique_lock lock(pending->mutex);
      if (pending->done.wait_for(lock, std::chrono::milliseconds(5), [&] { return pending->finished; }))
        return pending->result;
    }
    detail::runTasks(self);
  }
  SetLastError(ERROR_TIMEOUT);
  return 0;
}

const char* broadcastName(UINT message) {
  switch (message) {
    case WM_WININICHANGE:
      return "WM_WININICHANGE";
    case WM_FONTCHANGE:
      return "WM_FONTCHANGE";
    case WM_SYSCOLORCHANGE:
      return "WM_SYSCOLORCHANGE";
    default:
      return nullptr;
  }
}

// Messages whose lParam points at data: they cannot be posted.
bool carriesPointer(UINT message, LPARAM lParam) { return message == WM_WININICHANGE && lParam != 0; }

}  // namespace

namespace detail {

bool broadcast(UINT message, WPARAM wParam, LPARAM lParam, bool post) {
  JsonObject f;
  f.add("message", static_cast<std::uint64_t>(message));
  if (const char* name = broadcastName(message)) f.add("name", name);
  f.add("wparam", static_cast<std::uint64_t>(wParam));
  if (message == WM_WININICHANGE && lParam) f.add("text", reinterpret_cast<const char*>(lParam));
  f.add("posted", post);
  trace("broadcast", f);
  if (post && carriesPointer(message, lParam)) {
    SetLastError(ERROR_MESSAGE_SYNC_ONLY);
    return false;
  }
  for (auto& w : windowState().all()) {
    if (w->parent || w->foreign || w->destroying) continue;
    if (post)
      PostMessage(w->hwnd, message, wParam, lParam);
    else
      SendMessage(w->hwnd, message, wParam, lParam);
  }
  return true;
}

}  // namespace detail

LRESULT SendMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) return detail::broadcast(message, wParam, lParam, false) ? 1 : 0;
  auto w = windowOf(hwnd);
  if (!w || w->foreign) return 0;
  if (w->thread != windowState().currentQueue().id) return sendToOtherThread(w, message, wParam, lParam);
  return detail::callProcedure(w, message, wParam, lParam);
}

}  // namespace win
