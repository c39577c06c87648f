// Locked whole-file state over the platform's bounded lock on "<file>.lock"
// (a separate file, so that the rename replacing the data never drops it).
#include "state_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>

#include "platform/files.h"

namespace win {

namespace {

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
  platform::FileLock lock(path, true);
  std::string text;
  if (!lock.held() || !readIfPresent(path, text)) return false;
  if (!update(text)) return true;
  return platform::writeFileAtomic(path, text, temporaryName(path));
}

bool readStateFile(const std::string& path, std::string& text) {
  platform::FileLock lock(path, false);
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
