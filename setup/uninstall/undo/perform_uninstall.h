// PerformUninstall: the item lists undone in their fixed order of steps, for
// every installation in the log or only the last one (a rollback).
#pragma once

#include <string>

#include "log/item_lists.h"

namespace remvex {

// Undoes what the lists name; logPath is the log's absolute path (deleted, cut back to its
// last installation or kept at the end). Reads mode, rollback, cancel and silence from the
// run state.
void PerformUninstall(const std::string& logPath, LogState& state);

}  // namespace remvex
