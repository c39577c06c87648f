// Test helper: waits (bounded) until no process of the current machine other
// than the caller runs, so that a test ends with every child it started gone.
#pragma once

#include "win/machine.h"

namespace win_testing {

// True once no other process of the machine runs; false after timeoutMs.
inline bool waitNoProcess(int timeoutMs = 20000) { return win::machine().processTable().waitNoProcess(timeoutMs); }

}  // namespace win_testing
