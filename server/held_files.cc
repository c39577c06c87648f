// The record of held files under one mutex, and the held whole-file write.
#include "server/held_files.h"

#include <cerrno>
#include <map>
#include <mutex>

#include "platform/clock.h"

namespace cvlm {

namespace {

// The files this process holds, with a count per name. Created files are
// noted under the same mutex as their creation, so removeHeldFiles never
// misses one.
struct HeldFiles {
  std::mutex mutex;
  std::map<std::string, int> names;
  bool closed = false;
};

HeldFiles& heldFiles() {
  // Never destroyed: connection threads may still use it while the process exits.
  static HeldFiles* held = new HeldFiles;
  return *held;
}

void forget(HeldFiles& held, const std::string& path) {
  auto it = held.names.find(path);
  if (it != held.names.end() && --it->second == 0) held.names.erase(it);
}

[[noreturn]] void waitForExit() {
  for (;;) platform::sleepMs(60 * 1000);
}

}  // namespace

int createHeldFile(const std::string& path, const std::function<int()>& create) {
  HeldFiles& held = heldFiles();
  std::unique_lock<std::mutex> guard(held.mutex);
  if (held.closed) {
    guard.unlock();
    waitForExit();
  }
  int fd = create();
  int e = errno;
  if (fd >= 0) ++held.names[path];
  errno = e;
  return fd;
}

bool releaseHeldFile(const std::string& path, bool remove) {
  HeldFiles& held = heldFiles();
  std::lock_guard<std::mutex> guard(held.mutex);
  // Once closed the file is gone already, and its name may be another program's now.
  if (remove && !held.closed && !platform::removeFile(path) && errno != ENOENT) return false;
  forget(held, path);
  return true;
}

void removeHeldFiles() {
  HeldFiles& held = heldFiles();
  std::lock_guard<std::mutex> guard(held.mutex);
  held.closed = true;
  for (const auto& entry : held.names) platform::removeFile(entry.first);
  held.names.clear();
}

HeldAtomicFile::HeldAtomicFile(std::string path, std::string temp, Create how, const platform::File* dir,
                               std::string heldName)
    : file_(std::move(path), temp, how, dir), heldName_(heldName.empty() ? temp : std::move(heldName)) {}

HeldAtomicFile::~HeldAtomicFile() {
  if (held_) releaseHeldFile(heldName_, false);
}

bool HeldAtomicFile::create() {
  held_ = createHeldFile(heldName_, [this] { return file_.create() ? 0 : -1; }) == 0;
  return held_;
}

bool HeldAtomicFile::commit(Commit how) {
  bool committed = file_.commit(how);
  int e = errno;
  // Renamed, or removed by the failed commit: either way no longer held.
  if (held_) releaseHeldFile(heldName_, false);
  held_ = false;
  errno = e;
  return committed;
}

bool writeFileThroughTemp(const std::string& path, std::string_view data, const std::string& temp) {
  HeldAtomicFile file(path, temp);
  return file.create() && file.write(data) && file.commit();
}

}  // namespace cvlm
