// The exported DiskPrompt: finds the disk file that holds the current read
// offset of a multi-disk installation and opens it into the setup record. The
// disk dialog itself (a custom dialog of the disk-prompt block) comes through
// DiskDialogLink, which the custom dialogs fill.
#pragma once

#include <functional>
#include <string>

#include "run.h"

namespace merl {

// What the disk dialog ended with: its result, and whether the control that ended it cancels.
struct DiskDialogOutcome {
  int result = -1;
  bool cancelAction = false;
};

// A dialog result that leaves the disk prompt.
inline constexpr int kDiskDialogGiveUp = 1024;

struct DiskDialogLink : RunState {
  // Shows the disk dialog (the user may change %INST% in it). Until the custom dialogs
  // exist there is none to show, which gives up like Cancel.
  std::function<DiskDialogOutcome()> show = [] { return DiskDialogOutcome{}; };
};

// The name of disk number of a setup program named programName: disk 1 ends in "EXE",
// disk n > 1 in "W%02d" in place of the last three characters. Empty (no disk file) for a
// name shorter than three characters or a disk above 99.
std::string diskFileName(std::string programName, long number);

// The disk number of the read offset: 1 without a disk size, else
// (readOffset + firstDiskOffset) / diskSize + 1.
long diskNumberOf(DWORD readOffset, DWORD firstDiskOffset, DWORD diskSize);

}  // namespace merl
