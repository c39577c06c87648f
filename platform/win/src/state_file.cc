// Locked whole-file state: the lock is a separate file so that the rename
// replacing the data never drops it.
#include "state_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>

#include "platform/files.h"

namespace win {

namespace {

class FileLock {
 public:
  FileLock(const std::string& path, int operation)
      : fd_(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0 && ::flock(fd_, operation) != 0) {
      ::close(fd_);
      fd_ = -1;
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

bool readIfPresent(const std::string& path, std::string& text) {
  text.clear();
  return !platform::fileExists(path) || platform::readWholeFile(path, text);
}

std::string temporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(++counter);
}

}  // namespace

bool updateStateFile(const std::string& path, const std::function<bool(std::string& text)>& update) {
  FileLock lock(path, LOCK_EX);
  std::string text;
  if (!lock.held() || !readIfPresent(path, text)) return false;
  if (!update(text)) return true;
  return platform::writeFileAtomic(path, text, temporaryName(path));
}

bool readStateFile(const std::string& path, std::string& text) {
  FileLock lock(path, LOCK_SH);
  return lock.held() && readIfPresent(path, text);
}

bool appendStateLine(const std::string& path, const std::string& line) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = platform::writeAll(fd, line.data(), line.size());
  ::close(fd);
  return ok;
}

}  // namespace win
