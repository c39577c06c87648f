// Removing a directory tree.
#pragma once

namespace merl {

// Removes every subdirectory of directory (depth first) and, when withFiles is set, every file
// (its attributes cleared first), then directory itself. A link is removed as a link and never
// entered, so nothing outside the tree is touched; a drive or share root is refused. True
// when directory is gone at the end.
bool RemoveDirTree(const char* directory, bool withFiles);

}  // namespace merl
