// The command line: %CMDLINE% and the switches /T, /X, /Z, /M, /M1 and /M=file.
#pragma once

#include <string_view>

namespace merl {

// Slot 0 gets "%CMDLINE%" and the command line (cut to one value slot).
void StoreCommandLine(std::string_view commandLine);

// Reads the switches at the start of commandLine into the run state and the entry's state
// (extract target, set-variable file, /M1). Text not starting with '/' ends the switches; an
// unknown letter is skipped with the non-blank text after it.
void ParseSwitches(std::string_view commandLine);

}  // namespace merl
