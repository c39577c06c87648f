// Deleting files by pattern (or setting their attributes), optionally through
// the pattern directory's tree.
#pragma once

#include <string>
#include <string_view>

namespace merl {

inline constexpr int kAttributeMode = 0;
inline constexpr int kDeleteMode = 1;

// Flags of both modes.
inline constexpr int kDeleteRemoveEmptied = 0x04;  // mode 1 with recursion: remove emptied subdirectories
inline constexpr int kDeleteRecurse = 0x08;        // repeat the pattern in every subdirectory
// Flags of mode 0: the attributes set besides archive, and the one that drops archive.
inline constexpr int kSetReadOnly = 0x01;
inline constexpr int kSetHidden = 0x02;
inline constexpr int kSetSystem = 0x04;
inline constexpr int kClearArchive = 0x10;

// True when the directory part of pattern, resolved, is empty or a root ("X:\", "\",
// "\\server\share\"): no deletion works there.
bool deletesNothingIn(std::string_view pattern);

// The directory part of pattern made absolute ("." and ".." resolved, never above its root);
// empty for a pattern without one or a bad one.
std::string patternDirectory(std::string_view pattern);

// Mode 1 deletes every file matching pattern (read-only, hidden and system ones too, their
// attributes cleared first); directories are never deleted by the pattern. With %BACKUPDIR%
// set each file is first copied to its numbered backup there, and one whose copy fails stays.
// Nothing happens for a pattern whose directory is empty or a root.
// Mode 0 sets each match's attributes (names beginning with '.' left alone): archive (unless
// kClearArchive) plus the kSet... flags given.
// With kDeleteRecurse both go on in every subdirectory (links never entered, names no Windows
// name can be skipped, kDeleteDepthLimit levels at most); in mode 1 kDeleteRemoveEmptied then
// removes each subdirectory left empty. The pattern's own directory always stays.
void DeleteFiles(std::string_view pattern, int flags, int mode);

}  // namespace merl
