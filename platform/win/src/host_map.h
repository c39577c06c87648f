// Host mapping on a given machine (the public calls use the current one); the
// machine itself uses these while it is being set up.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "win/machine.h"

namespace win {

// Maps path on machine m; nullopt with *error.
std::optional<HostPath> mapToHostOn(Machine& m, const WinPath& path, DWORD* error);
// The Windows path of a host path on machine m; nullopt outside every drive.
std::optional<std::string> hostToWindowsOn(const Machine& m, std::string_view hostPath);

}  // namespace win
