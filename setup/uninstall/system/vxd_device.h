// Commenting out a removed driver's "device=" lines in SYSTEM.INI's [386Enh]
// section; every other byte of the file stays as it was.
#pragma once

#include <string>

namespace remvex {

// Puts ';' before each [386Enh] "device=" line naming the file (by its path or by its name
// below the System directory). SYSTEM.INI is replaced in one rename, only when a line changed;
// a read or write failure leaves it untouched.
void RemoveVxdDevice(const std::string& path);

}  // namespace remvex
