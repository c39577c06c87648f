// Deleting files and removing directories as the undo steps do: single files
// with their help indexes, patterns, directory trees (with their guards) and
// the restore of a file from its backup, at the next restart when it is busy.
#pragma once

#include <string>

#include "win/types.h"

namespace remvex {

// Sets a file's attributes (0: normal). 1 on failure, 0 on success.
int SetFileAttrs(const std::string& path, win::DWORD attributes);

// Deletes one file; notes in the run state when it is the program's own file. 1 on failure,
// 0 on success.
int DeleteOneFile(const std::string& path);

// Clears a directory's attributes and removes it (only an empty one goes). 1 on failure, 0 on
// success.
int RemoveDir(const std::string& path);

// Clears the attributes and deletes; a ".HLP" file takes its ".GID" and ".FTS" along.
void DeleteFileWithHelpIndex(const std::string& path);

// Deletes a file (restoring it from backup when restore is set) or every file matching a
// pattern. 1 when it acted, 0 when a pattern was refused: a wildcard in the Windows or System
// directory or at a drive root.
int RemoveOrRestoreFile(const std::string& path, const std::string& backup, bool restore);

// Copies backup over target; when target is busy, stages the copy beside it and schedules the
// replacement for the next restart (the backup goes only once the schedule is written).
void ReplaceFileAtReboot(const std::string& backup, const std::string& target);

// "~QDU%04x.TMP" in target's directory: the first such name that does not exist, counting on
// from the run's last one.
std::string MakeUniqueTempName(const std::string& target);

// The directory of a path's absolute form (dots resolved) is a drive root, the Windows or
// System directory, or one of their ancestors.
bool IsProtectedDirectory(const std::string& directory);

// Removes directory after its subdirectories, deleting their files when deleteFiles is set.
// Refuses protected directories (above) and paths under 4 characters; a link is removed as a
// link, never entered.
void RemoveDirectoryTree(const std::string& directory, bool deleteFiles);

}  // namespace remvex
