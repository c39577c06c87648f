// The uninstaller's string table and the message lookup with the [Language]
// overrides of its INI file.
#pragma once

#include <string>

namespace remvex {

// The string table entry n, or nullptr when there is none.
const char* StringTableText(int n);

// Message n: the INI file's [Language] "Msg<n>" when present (every '|' becomes CR LF), else
// the string table entry ("" when none); bounded to kMessageSize - 1 characters.
std::string LoadMessage(const std::string& iniPath, int n);

// text with its first "%s" replaced literally by value (the rest unchanged), bounded as above.
std::string FormatMessage1(const std::string& text, const std::string& value);

}  // namespace remvex
