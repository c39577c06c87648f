// Where the platform keeps its own state (registry store, event log sinks).
#pragma once

#include <string>

namespace platform {

// Environment variable naming the platform state directory.
inline constexpr const char* kStateDirVariable = "IDS_PLATFORM_DIR";
// Used when the variable is unset or empty.
inline constexpr const char* kDefaultStateDir = "/var/lib/ids-platform";

// The state directory, created (with parents) when missing.
std::string stateDirectory();

}  // namespace platform
