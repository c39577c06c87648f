// The few host file operations the process and library layers need beyond
// the files layer: a program or library file by name, its kind and identity.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "win/path.h"
#include "win/types.h"

namespace win {

// An existing file of the machine: its absolute Windows path (names as on disk) and host path.
struct MappedFile {
  std::string windowsPath;
  std::string hostPath;
};
// The file at a Windows path; nullopt with *error: ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND
// (also for an unmapped drive), ERROR_ACCESS_DENIED (a directory), or the path's own error.
std::optional<MappedFile> findMappedFile(const std::string& windowsPath, DWORD* error);

// True for an existing regular file (links followed).
bool isHostFile(const std::string& host);
// True for an existing directory (links followed).
bool isHostDirectory(const std::string& host);
// True when the file starts with the ELF magic.
bool isHostExecutableImage(const std::string& host);
// Gives the owner the execute bit (Windows has none); false when it cannot.
bool makeHostExecutable(const std::string& host);
// The host device and inode of a file.
std::optional<std::pair<std::uint64_t, std::uint64_t>> hostFileId(const std::string& host);

}  // namespace win
