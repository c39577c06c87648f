// Profile files on the host: resolving a name, reading, and replacing a file
// whole, with the fault rules and attribute checks of the file calls.
#include "profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/faults.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/machine.h"

namespace win::profile {

namespace {

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

bool fail(DWORD error) {
  SetLastError(error);
  return false;
}

// A bare file name ("SETUP.INI") names a file in the Windows directory.
std::string fullName(std::string name) {
  if (name.find_first_of("\\/:") != std::string::npos) return name;
  std::string dir = machine().description().windowsDir;
  if (dir.empty() || dir.back() != '\\') dir += '\\';
  return dir + name;
}

// A side file beside the target whose name (holding ':') no Windows listing shows.
std::string sideName(const std::string& host) {
  static std::atomic<unsigned> counter{0};
  return host.substr(0, host.rfind('/')) + "/.ids-profile:" + std::to_string(::getpid()) + ":" +
         std::to_string(++counter);
}

// Writes text to a new side file, then renames it onto the target.
bool writeAndRename(const ProfileFile& file, std::string_view text) {
  std::string side = sideName(file.host);
  int fd = ::open(side.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return fail(errorFromErrno(errno));
  bool ok = (!file.exists || ::fchmod(fd, file.mode) == 0) && platform::writeAll(fd, text.data(), text.size()) &&
            ::fsync(fd) == 0;
  int error = errno;
  ok = ::close(fd) == 0 && ok;
  if (ok && platform::renameReplace(side, file.host)) return true;
  error = ok ? errno : error;
  ::unlink(side.c_str());
  return fail(errorFromErrno(error));
}

}  // namespace

std::optional<ProfileFile> resolveProfile(LPCSTR fileName) {
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return std::nullopt;
  }
  auto path = parsePath(fullName(fileName));
  if (!path) return std::nullopt;
  auto mapped = mapToHost(*path);
  if (!mapped) return std::nullopt;
  ProfileFile f;
  f.path = *path;
  f.path.parts = mapped->names;
  f.host = mapped->host;
  f.parentExists = mapped->parentExists();
  struct stat st{};
  if (mapped->exists() && ::stat(f.host.c_str(), &st) == 0) {
    char real[PATH_MAX];
    if (::realpath(f.host.c_str(), real)) f.host = real;  // a link (kept inside the drive) is written through
    f.exists = S_ISREG(st.st_mode);
    f.isDirectory = S_ISDIR(st.st_mode);
    f.mode = st.st_mode & 07777;
  }
  return f;
}

std::optional<std::string> readProfile(const ProfileFile& file) {
  if (file.isDirectory || platform::shouldFail(platform::FaultOp::Denied, file.subject())) {
    fail(ERROR_ACCESS_DENIED);
    return std::nullopt;
  }
  if (!file.exists) {
    fail(file.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return std::nullopt;
  }
  std::string text;
  if (platform::shouldFail(platform::FaultOp::ReadError, file.subject()) || !platform::readWholeFile(file.host, text)) {
    fail(ERROR_READ_FAULT);
    return std::nullopt;
  }
  return text;
}

bool replaceProfile(const ProfileFile& file, std::string_view text) {
  const std::string subject = file.subject();
  if (file.isDirectory || platform::shouldFail(platform::FaultOp::Denied, subject)) return fail(ERROR_ACCESS_DENIED);
  if (file.exists) {
    if ((file.mode & kWriteBits) == 0) return fail(ERROR_ACCESS_DENIED);  // READONLY
    if (platform::shouldFail(platform::FaultOp::Busy, subject) || machine().processTable().inUse(file.host))
      return fail(ERROR_SHARING_VIOLATION);
  } else {
    if (!file.parentExists) return fail(ERROR_PATH_NOT_FOUND);
    if (platform::shouldFail(platform::FaultOp::Create, subject)) return fail(ERROR_ACCESS_DENIED);
  }
  long long kept = 0;
  if (platform::shouldFail(platform::FaultOp::ShortWrite, subject, &kept) && static_cast<long long>(text.size()) > kept)
    return fail(ERROR_DISK_FULL);  // the disk fills up: the old file stays as it was
  return writeAndRename(file, text);
}

ProfileLock::ProfileLock() : lock_(machine().stateDir() + "/" + kProfileLockName, true) {}

}  // namespace win::profile
