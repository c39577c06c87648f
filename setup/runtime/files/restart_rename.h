// Replacements put off until the next restart, in the way each platform offers:
// the pending-restart store on NT, WININIT.INI [rename] on 9x and the batch
// file %WIN%\_MSSETUP.BAT elsewhere; %RESTART% tells the setup program.
#pragma once

#include "run.h"

namespace merl {

// Option of the setup record: restart support (busy files are replaced at the next restart).
inline constexpr DWORD kOptionRestartSupport = 0x2000;

// Results of RenameAtRestart (and kAbort).
inline constexpr int kRenameScheduled = 1;
inline constexpr int kRenameNotScheduled = 0;

inline constexpr DWORD kRestartMoveFlags = 5;  // MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT
inline constexpr const char* kRenameSection = "rename";
inline constexpr const char* kWininitName = "WININIT.INI";
inline constexpr const char* kRestartBatchPath = "%WIN%\\_MSSETUP.BAT";

// What the run scheduled.
struct RestartSchedule : RunState {
  bool batchFileWritten = false;  // the batch file holds a replacement
  bool replacementScheduled = false;  // some replacement waits for the restart
};

// True when a replacement was scheduled in this run (a restart is needed).
bool ReplacementScheduled();

// True when restart support is on for the run.
bool RestartSupportOn();

// Schedules source to replace destination at the next restart. With compareVersions nothing is
// scheduled when source is not newer (CompareFileVersions). With copyFirst source is an outside
// file, first copied to a side name next to destination; a failed copy shows message 26 with
// source and gives kAbort. kRenameNotScheduled when restart support is off or the schedule
// cannot be written (a side copy made here is then removed).
int RenameAtRestart(bool compareVersions, bool copyFirst, const char* source, const char* destination);

// True when a replacement went into the batch file during the run.
bool BatchFileWritten();

}  // namespace merl
