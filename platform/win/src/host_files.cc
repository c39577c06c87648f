// Host file checks for starting programs and loading libraries, and the free
// space of a mapped drive (statvfs of its root unless [free-space] says).
#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "win/error.h"
#include "win/machine.h"

namespace win {

std::optional<MappedFile> findMappedFile(const std::string& windowsPath, DWORD* error) {
  auto path = parsePath(windowsPath);
  auto mapped = path ? mapToHost(*path) : std::nullopt;
  if (!mapped) {
    *error = GetLastError();
    return std::nullopt;
  }
  if (!mapped->exists()) {
    *error = mapped->parentExists() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  if (!isHostFile(mapped->host)) {
    *error = ERROR_ACCESS_DENIED;
    return std::nullopt;
  }
  path->parts = mapped->names;
  return MappedFile{path->text(), mapped->host};
}

bool isHostFile(const std::string& host) {
  struct stat st{};
  return ::stat(host.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isHostDirectory(const std::string& host) {
  struct stat st{};
  return ::stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isHostExecutableImage(const std::string& host) {
  int fd = ::open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  char magic[4] = {};
  bool ok = platform::readAll(fd, magic, sizeof magic) && std::memcmp(magic, "\x7f" "ELF", 4) == 0;
  ::close(fd);
  return ok;
}

bool makeHostExecutable(const std::string& host) {
  struct stat st{};
  if (::stat(host.c_str(), &st) != 0) return false;
  if (st.st_mode & S_IXUSR) return true;
  return ::chmod(host.c_str(), (st.st_mode & 07777) | S_IXUSR) == 0;
}

std::optional<std::pair<std::uint64_t, std::uint64_t>> hostFileId(const std::string& host) {
  struct stat st{};
  if (::stat(host.c_str(), &st) != 0) return std::nullopt;
  return std::pair{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

std::optional<DriveSpace> driveSpace(const WinPath& directory) {
  auto mapped = mapToHost(directory);
  if (!mapped) return std::nullopt;
  if (!mapped->exists() || !isHostDirectory(mapped->host)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return std::nullopt;
  }
  struct statvfs vfs{};
  if (::statvfs(mapped->host.c_str(), &vfs) != 0) {
    setLastErrorFromErrno(errno);
    return std::nullopt;
  }
  DriveSpace space{static_cast<std::uint64_t>(vfs.f_bavail) * vfs.f_frsize,
                   static_cast<std::uint64_t>(vfs.f_blocks) * vfs.f_frsize};
  const DriveMapping* drive = machine().findDrive(directory);
  for (const auto& [name, bytes] : machine().description().freeSpace)
    if (drive && namesEqual(name, drive->name)) space.freeBytes = bytes;
  if (space.totalBytes < space.freeBytes) space.totalBytes = space.freeBytes;
  return space;
}

}  // namespace win
