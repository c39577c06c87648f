// Host file checks for starting programs and loading libraries, over the
// files layer's name resolution.
#include "host_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "file_access.h"
#include "platform/files.h"
#include "win/error.h"
#include "win/machine.h"

namespace win {

std::optional<MappedFile> findMappedFile(const std::string& windowsPath, DWORD* error) {
  auto t = files::resolve(windowsPath.c_str());
  if (!t) {
    *error = GetLastError();
    return std::nullopt;
  }
  if (!t->exists || t->isDirectory) {
    *error = t->exists ? ERROR_ACCESS_DENIED : t->missingError();
    return std::nullopt;
  }
  return MappedFile{t->path.text(), t->host};
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

}  // namespace win
