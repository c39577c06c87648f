// Deleting files by pattern, optionally through the pattern directory's tree.
#pragma once

#include <string_view>

namespace merl {

inline constexpr int kDeleteMode = 1;
inline constexpr int kDeleteRemoveEmptied = 0x04;  // with recursion: remove emptied subdirectories
inline constexpr int kDeleteRecurse = 0x08;        // repeat the pattern in every subdirectory

// True when the directory part of pattern is empty or a root ("X:\", "\", "\\server\share\"):
// no deletion works there.
bool deletesNothingIn(std::string_view pattern);

// In mode 1 deletes every file matching pattern (read-only, hidden and system ones too, their
// attributes cleared first); directories are never deleted by the pattern. Nothing happens for
// a pattern whose directory is empty or a root.
void DeleteFiles(std::string_view pattern, int flags, int mode);

}  // namespace merl
