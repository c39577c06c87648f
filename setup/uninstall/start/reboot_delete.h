// Scheduling a file's deletion at the next restart.
#pragma once

#include <string>

namespace remvex {

// Platform 1: MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT. Otherwise a "NUL=<path>" line in
// the [rename] section of WININIT.INI in the Windows directory (the file made when missing).
void DeleteFileAtReboot(const std::string& path, int platform);

// The text to append to a WININIT.INI whose bytes are existing so that "NUL=<path>" lands in
// its [rename] section ("" existing is a file without sections).
std::string WininitAppendText(const std::string& existing, const std::string& path);

}  // namespace remvex
