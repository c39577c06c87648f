// Files the stand-in puts on the emulated machine before the run: the
// installation file at the module path and, when it lies outside every drive,
// the runtime beside it. Written through the machine's file layer.
#pragma once

#include <string>

namespace merl_standin {

// Creates every missing directory of a Windows directory path; false with *error.
bool makeDirectories(const std::string& windowsDir, std::string* error);

// Copies a host file to a Windows path (replacing it), in blocks; false with *error.
bool copyIntoMachine(const std::string& hostPath, const std::string& windowsPath, std::string* error);

// The Windows directory of a Windows path ("" when it does not parse).
std::string windowsDirectoryOf(const std::string& windowsPath);

}  // namespace merl_standin
