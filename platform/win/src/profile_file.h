// File access of the profile calls, kept in one place: a profile name resolved
// on the machine (a bare name lives in the Windows directory), the whole file
// read, and the file replaced whole (a hidden side file, then a rename), with
// the checks the file calls make: [failures] busy, denied, read-error, create
// and short-write, READONLY files and program files in use.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "win/path.h"
#include "win/types.h"

namespace win::profile {

struct ProfileFile {
  WinPath path;         // absolute, with the on-disk names where they exist
  std::string host;     // the host file (a link inside the drive: its target)
  bool exists = false;  // a regular file is there
  bool isDirectory = false;
  bool parentExists = false;
  mode_t mode = 0;      // of the existing file

  // The subject of fault rules: the absolute Windows path.
  std::string subject() const { return path.text(); }
};

// Resolves a profile name; nullopt with the last error set.
std::optional<ProfileFile> resolveProfile(LPCSTR fileName);
// The file's bytes; nullopt with the last error (ERROR_FILE_NOT_FOUND for a missing file).
std::optional<std::string> readProfile(const ProfileFile& file);
// Replaces (or creates) the file with text in one step; FALSE with the last error, the old
// file untouched (ERROR_SHARING_VIOLATION, ERROR_ACCESS_DENIED, ERROR_DISK_FULL, ...).
bool replaceProfile(const ProfileFile& file, std::string_view text);

// The lock every profile writer of the machine holds while it reads, edits and replaces a file.
class ProfileLock {
 public:
  ProfileLock();
  bool held() const { return lock_.held(); }

 private:
  platform::FileLock lock_;
};

}  // namespace win::profile
