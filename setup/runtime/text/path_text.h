// Path texts in place: the file name part, cutting the file name off, the
// last character, stepping over a NUL-terminated text. Backslashes are found
// character by character, so a trail byte 0x5C of a double-byte character is none.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace merl {

// The position of the last backslash of path (npos for none), skipping trail bytes.
std::size_t lastBackslash(std::string_view path);

// The root of an absolute path with its backslash: "C:\" for "C:..." and "\\server\share\" for a
// UNC path; "" when path has neither a drive nor a share.
std::string pathRoot(std::string_view path);

// The part of path after its last backslash, or the whole path.
const char* PathFileName(const char* path);
inline char* PathFileName(char* path) { return const_cast<char*>(PathFileName(static_cast<const char*>(path))); }

// Cuts path at its last backslash (the directory stays, without the backslash); a path
// without one becomes empty. Null for a null or empty path, else where the path now ends.
char* CutFileName(char* path);

// The address just past text's NUL.
const char* SkipString(const char* text);

// The last character of text (its lead byte for a double-byte one), found by stepping with
// CharNext; text itself when it is empty.
const char* LastCharOf(const char* text);

// Removes one final backslash of text unless it is the trail byte of a double-byte character.
void cutTrailingBackslash(char* text);

}  // namespace merl
