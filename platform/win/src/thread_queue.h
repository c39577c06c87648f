// One message queue per thread: posted messages, the quit flag, timers, work
// other threads hand over (runOnThread) and the thread's focus. Guarded by its own
// mutex so other threads and processes' bridges can post while the owner pumps.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "win/message.h"
#include "win/types.h"

namespace win {

struct TimerEntry {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  std::uint64_t due = 0;    // virtual ms when it fires next
  std::uint64_t order = 0;  // creation order: breaks ties between timers due at once
};

struct PostedMessage {
  MSG msg{};
  bool outside = false;  // posted by another thread
};

class ThreadQueue {
 public:
  explicit ThreadQueue(DWORD id) : id(id) {}

  const DWORD id;

  std::mutex mutex;              // guards the members up to `timers`
  std::condition_variable wake;  // notified on every post, task and quit
  std::deque<PostedMessage> posted;
  std::deque<std::function<void()>> tasks;
  bool quit = false;
  int quitCode = 0;
  std::vector<TimerEntry> timers;
  std::uint64_t timerOrder = 0;
  UINT_PTR nextThreadTimer = 1;

  std::atomic<bool> receivesOutsideInput{false};

  // Used by the owning thread only.
  HWND focus = nullptr;
  HWND active = nullptr;
  std::optional<std::uint64_t> emptyPeekSince;  // virtual ms of the first empty peek in a row
  int nextDialogNumber = -1;                    // nameNextDialog
  DWORD commDlgError = 0;                       // CommDlgExtendedError

  // The earliest due time of the thread's timers.
  std::optional<std::uint64_t> nextTimerDue();
  // True when another thread's message or task waits (caller holds no lock).
  bool hasOutsideInput();
};

}  // namespace win
