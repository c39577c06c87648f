// Putting an edited copy of a file in place, with one numbered backup beside it
// and its "File Edit:"/"Backup Copy:" log lines, and the clean-up of a failed edit.
#pragma once

#include <string>
#include <string_view>

#include "win/types.h"

namespace merl {

// The backup name of path beside it: the extension of its file name (the text after the last
// '.' that follows the last '\') replaced by the first free number .001 ... .999, .999 reused
// when every number is taken. Empty when the name would pass 255 characters.
std::string EditedFileBackupName(const char* path);

// Puts edited in place of path. Without noBackup the file is first copied to its backup name
// and, while the log is open, "File Edit: <path>" and "Backup Copy: <backup>" are logged once
// the edited copy has replaced the file in one rename; a non-empty leadLine is logged (with
// CR LF) just before them, also without a backup. False on any failure: the file keeps its
// bytes under its name, the edited copy and a backup made for it are deleted, nothing is logged.
bool BackupEditedFile(const char* path, const char* edited, bool noBackup, std::string_view leadLine = {});

// Closes the read handle when it is valid, closes the write handle and deletes tempPath.
void CloseAndDeleteTemp(win::HANDLE read, win::HANDLE write, const char* tempPath);

}  // namespace merl
