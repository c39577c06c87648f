// Lock-file protocol: poll while a lock exists, take it with an exclusive
// create, release it with three attempts; the record of the lock files and
// temporary files this process holds.
#include "server/lock_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>

#include "platform/files.h"
#include "server/file_helpers.h"
#include "server/log.h"

namespace cvlm {

namespace {
std::atomic<int> removalFailures{0};

bool seamFailsRemoval() {
  int n = removalFailures.load();
  while (n > 0)
    if (removalFailures.compare_exchange_weak(n, n - 1)) return true;
  return false;
}

// Existence, not readability: an unreadable lock file or a dangling link
// still blocks, exactly as it blocks the exclusive create.
bool lockExists(const std::string& lock) {
  struct stat st{};
  return ::lstat(lock.c_str(), &st) == 0;
}

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
  for (;;) sleepMs(60 * 1000);
}

bool removeLock(const std::string& lock) {
  if (seamFailsRemoval()) return false;
  return releaseHeldFile(lock, true);
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
  if (remove && !held.closed && ::unlink(path.c_str()) != 0 && errno != ENOENT) return false;
  forget(held, path);
  return true;
}

int createTempFile(const std::string& temp) {
  return createHeldFile(temp, [&] {
    return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
  });
}

bool writeFileThroughTemp(const std::string& path, std::string_view data, const std::string& temp) {
  int fd = createTempFile(temp);
  if (fd < 0) return false;
  bool written = platform::writeThenRename(fd, temp, path, data);
  releaseHeldFile(temp, false);
  return written;
}

void removeHeldFiles() {
  HeldFiles& held = heldFiles();
  std::lock_guard<std::mutex> guard(held.mutex);
  held.closed = true;
  for (const auto& entry : held.names) ::unlink(entry.first.c_str());
  held.names.clear();
}

namespace testing {
void failNextLockRemovals(int count) { removalFailures = count; }
}  // namespace testing

std::string lockFileName(const std::string& name) { return name + kLockSuffix; }

bool waitLockFile(const std::string& name) {
  if (!lockExists(lockFileName(name))) return false;
  sleepMs(kLockPollMs);
  return true;
}

void waitForUnlock(const std::string& name) {
  while (waitLockFile(name)) {
  }
}

int touchLockFile(const std::string& name) {
  const std::string lock = lockFileName(name);
  for (;;) {
    waitForUnlock(name);
    int fd = createHeldFile(lock, [&] { return ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644); });
    if (fd >= 0) {
      ::close(fd);
      return 0;
    }
    if (errno == EINTR) continue;
    // Another writer took it between our test and our create: wait again.
    if (errno == EEXIST) {
      sleepMs(kLockPollMs);
      continue;
    }
    writeLogf("Touch lock file [%s] error!\n", lock.c_str());
    return -1;
  }
}

int untouchLockFile(const std::string& name) {
  const std::string lock = lockFileName(name);
  if (!lockExists(lock)) return -1;
  for (int attempt = 0; attempt < kUntouchAttempts; ++attempt) {
    if (removeLock(lock)) return 0;
    writeLogf("Lock File [%s] can't untouch!\n", lock.c_str());
    sleepMs(kUntouchRetryMs);
  }
  return 1;
}

}  // namespace cvlm
