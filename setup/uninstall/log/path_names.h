// Path forms of the uninstaller: absolute paths with an upper-case drive
// letter and each component in its long (on-disk) or short form.
#pragma once

#include <string>

namespace remvex {

// The absolute form of path, components as long names (longNames) or short names; parts
// that do not exist stay as written.
std::string NormalizePath(const std::string& path, bool longNames);

// True when text ends with a backslash that is not the trail byte of a double-byte character.
bool EndsWithBackslash(const std::string& text);

// The file name in the Windows directory, a backslash put between unless the directory ends
// with one.
std::string WindowsDirectoryFile(const std::string& name);

// Case-blind (ASCII) comparisons.
bool EqualNoCase(const std::string& a, const std::string& b);
bool StartsWithNoCase(const std::string& text, const std::string& prefix);
bool EndsWithNoCase(const std::string& text, const std::string& suffix);

}  // namespace remvex
