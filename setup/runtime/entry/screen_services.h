// The screen services the runtime exports to the setup program (UpdateScreen,
// HandleFtp) and the timed wait PumpUntilTimer they rest on, with the run states
// of the copy progress and of the internet transfer library they read.
#pragma once

#include <string_view>

#include "merl/outside_libraries.h"
#include "run.h"

namespace merl {

// The timer of the runtime's waits on the main window; the setup program's main window
// clears the setup record's wait flag when it fires.
inline constexpr win::UINT_PTR kWaitTimerId = 8297;
// UpdateScreen's pause.
inline constexpr DWORD kUpdateScreenPauseMs = 500;
// The copy progress dialog's bar frame, invalidated by UpdateScreen without the progress library.
inline constexpr int kCopyBarControl = 3830;
// Its status text.
inline constexpr int kCopyStatusControl = 3829;

// The copy progress as the screen services and the disk prompt see it (copy_progress.h
// fills it).
struct CopyProgressLink : RunState {
  bool showing = false;       // a status text is showing
  HWND copyDialog = nullptr;  // the copy progress dialog while it is open
};

// The internet transfer library once InternetTransfer has loaded it (internet_transfer.h).
struct TransferLink : RunState {
  bool loadTried = false;
  TransferProc transfer = nullptr;        // "t1"
  TransferControlProc control = nullptr;  // "t2", what HandleFtp forwards to
};

// Without wait, one pass of PumpMessages. With wait, starts timer 8297 on the main window for
// ms and sets the wait flag, then dispatches messages until the flag is clear, waiting for the
// next message whenever none is there, and kills the timer. When SetTimer fails the flag stays
// clear and this is one pass. The wait gives up kTimerWaitGraceMs after ms (constants.h).
void PumpUntilTimer(DWORD ms, bool wait);

// True for a module path on drive A: or B: (any case, the colon needed).
bool RunsFromFloppy(std::string_view modulePath);

// UpdateScreen may pause: the header's flag 0x20 is set and the setup program does not run
// from a floppy drive.
bool PauseAllowed();

}  // namespace merl
