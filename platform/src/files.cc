// Whole-file writes, renames with and without replacement, a rename seam and
// the bounded lock that state-file writers share.
#include "platform/files.h"

#include "platform/paths.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <dirent.h>
#include <strings.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>

namespace platform {

namespace {
std::atomic<int> renameFailures{0};

bool seamFails() {
  int n = renameFailures.load();
  while (n > 0) {
    if (renameFailures.compare_exchange_weak(n, n - 1)) {
      errno = EIO;
      return true;
    }
  }
  return false;
}
}  // namespace

namespace testing {
void failNextRenames(int count) { renameFailures = count; }
}  // namespace testing

bool renameReplace(const std::string& from, const std::string& to) {
  if (seamFails()) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool renameNoReplace(const std::string& from, const std::string& to) {
  if (seamFails()) return false;
  if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without renameat2: link then unlink never replaces the target.
  if (::link(from.c_str(), to.c_str()) != 0) return false;
  ::unlink(from.c_str());
  return true;
}

bool writeAll(int fd, const void* data, std::size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool readAll(int fd, void* data, std::size_t n) {
  char* p = static_cast<char*>(data);
  while (n > 0) {
    ssize_t r = ::read(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

bool writeFileAtomic(const std::string& path, std::string_view data, const std::string& tempPath) {
  std::string tmp = tempPath.empty() ? path + ".tmp" : tempPath;
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  if (!writeAll(fd, data.data(), data.size())) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return false;
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    ::unlink(tmp.c_str());
    return false;
  }
  if (!renameReplace(tmp, path)) {
    int e = errno;
    ::unlink(tmp.c_str());
    errno = e;
    return false;
  }
  return true;
}

bool readWholeFile(const std::string& path, std::string& out) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  out.clear();
  char buffer[65536];
  for (;;) {
    ssize_t r = ::read(fd, buffer, sizeof buffer);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      ::close(fd);
      return false;
    }
    if (r == 0) break;
    out.append(buffer, static_cast<std::size_t>(r));
  }
  ::close(fd);
  return true;
}

bool fileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

namespace {
bool isRegularFile(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
}  // namespace

std::string findFileIgnoringCase(const std::string& dir, const std::string& name) {
  if (isRegularFile(joinPath(dir, name))) return name;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0 && isRegularFile(joinPath(dir, e->d_name))) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

FileLock::FileLock(const std::string& path, bool exclusive) {
  constexpr auto kWait = std::chrono::seconds(10);
  int fd = ::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  auto deadline = std::chrono::steady_clock::now() + kWait;
  while (::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  fd_ = fd;
}

FileLock::~FileLock() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace platform
