// The steps every message loop shares (GetMessage, PeekMessage, WaitMessage,
// modal dialogs, held dialogs): which message is ready next, how the virtual
// clock moves while a thread waits, and when a wait can never end.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "thread_queue.h"

namespace win::detail {

struct MessageFilter {
  HWND hwnd = nullptr;  // null: any; (HWND)-1: thread messages only
  UINT min = 0;
  UINT max = 0;           // 0, 0: every message
  bool takesQuit = true;  // modal loops leave WM_QUIT for the program's own loop

  bool passesMessage(UINT message) const;
  bool passesWindow(HWND window) const;
};

// Runs the work other threads handed to q (on q's own thread).
void runTasks(ThreadQueue& q);
// Takes (or with remove false only looks at) the next ready message after running tasks: a
// posted message, WM_QUIT, WM_PAINT of an invalid visible window, WM_TIMER of a due timer.
bool takeReadyMessage(ThreadQueue& q, const MessageFilter& filter, bool remove, MSG* out);
// The earliest due time among q's timers that the filter lets through.
std::optional<std::uint64_t> nextDueTimer(ThreadQueue& q, const MessageFilter& filter);
// Moves the virtual clock to due (the real clock waits, woken early by input).
void moveClockTo(ThreadQueue& q, std::uint64_t due);
// Waits in real time up to ms for another thread's message or task; true when one came.
bool waitRealTimeForInput(ThreadQueue& q, std::uint64_t ms);

enum class WaitKind {
  Program,  // the program's own GetMessage/WaitMessage: open modeless dialogs take answers lines
  Dialog,   // a modal dialog waiting for itself
};
// Waits until a message is ready and takes it (remove) or leaves it. A wait that no timer,
// outside input or answers line can end writes a "stuck" line and ends the process (status 3).
void waitForReadyMessage(ThreadQueue& q, const MessageFilter& filter, bool remove, MSG* out, WaitKind kind,
                         const std::string& what);

}  // namespace win::detail
