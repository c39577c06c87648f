// What the program and library searches share: when a name is bare, and the
// directory of the running program (the first place both look).
#pragma once

#include <string>
#include <string_view>

namespace win {

// True for a name without '\', '/' or ':' (searched rather than taken as a path).
inline bool isBareName(std::string_view name) { return name.find_first_of("\\/:") == std::string_view::npos; }

// The Windows directory of the process's module ("" while the module path is unknown).
std::string programDirectory();

}  // namespace win
