// How other threads and other processes reach a thread's message pump (for DDE
// and process waits). Work handed to a thread runs on that thread inside its next
// pump: GetMessage, PeekMessage, WaitMessage, a modal dialog's loop or a dialog
// held by an answers line. A thread marked as receiving outside input (a registered
// DDE server) waits in real time, up to kOutsideInputGuardMs, where an empty queue
// would otherwise end the process with status 3; the virtual clock does not move
// while it waits. PostThreadMessage (win/message.h) posts from any thread.
#pragma once

#include <functional>

#include "win/types.h"

namespace win::detail {

// Queues fn to run on thread inside its next pump; false (nothing queued) for an unknown thread.
bool runOnThread(DWORD thread, std::function<void()> fn);

// Marks the calling thread as one that outside input can reach, or not.
void setReceivesOutsideInput(bool on);
bool receivesOutsideInput(DWORD thread);

// True while a task or a message posted by another thread waits for thread.
bool hasPendingOutsideInput(DWORD thread);

// Blocks up to ms real milliseconds until thread has pending outside input (a process wait
// calls it between its checks of the child); true when input is pending.
bool waitForOutsideInput(DWORD thread, DWORD ms);

}  // namespace win::detail
