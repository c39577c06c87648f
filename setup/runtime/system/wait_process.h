// Waiting for a started program while the runtime's windows stay alive.
#pragma once

#include "win/types.h"

namespace merl {

inline constexpr win::DWORD kProcessWaitStepMs = 100;

// Dispatches the thread's waiting messages, then waits up to 100 ms for process, until it has
// ended. A handle that cannot be waited on ends the wait at once.
void WaitForProcess(win::HANDLE process);

}  // namespace merl
