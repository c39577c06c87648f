// Deleting files and removing directories as the undo steps do.
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

// Removes directory after its subdirectories, deleting their files when deleteFiles is set;
// refuses paths under 4 characters and the Windows and System directories.
void RemoveDirectoryTree(const std::string& directory, bool deleteFiles);

}  // namespace remvex
