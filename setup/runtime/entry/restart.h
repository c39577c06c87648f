// The end of the run's restart handling: what %RESTART% and a pending replacement
// at restart ask of the setup program, and the restart launcher.
#pragma once

#include "run.h"

namespace merl {

inline constexpr DWORD kOptionKeepSilentForRestart = 0x20000000;
inline constexpr int kRestartExitWindows = 0x42;
inline constexpr int kRestartExitSystem = 0x43;

// Fills program and arguments (256 bytes each) or the exit code as %RESTART% and the
// restart-needed flag ask; a text that does not fit leaves both buffers empty. Not in test state.
void HandleRestart(int* exitCode, char* program, char* arguments);

// Moves the restart launcher (support file 9) to %WIN%\_MSRSTRT.EXE when a restart is still
// needed on Win32s, else deletes it.
void PlaceRestartLauncher();

}  // namespace merl
