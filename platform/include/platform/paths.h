// The running program's location.
#pragma once

#include <string>

namespace platform {

// Real path of the running executable ("" when unknown).
std::string programPath();

// Directory part of a path ("" when it has none).
std::string directoryOf(const std::string& path);

// dir and name joined with one "/"; name alone when dir is empty.
std::string joinPath(const std::string& dir, const std::string& name);

// Makes the program's own directory the current directory; false when it could not.
bool changeToProgramDirectory();

// Current working directory.
std::string currentDirectory();

}  // namespace platform
