// Lock-file protocol: poll while a lock exists, take it with an exclusive
// create, release it with three attempts.
#include "lock_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "file_helpers.h"
#include "log.h"

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

bool removeLock(const std::string& lock) {
  if (seamFailsRemoval()) return false;
  return ::unlink(lock.c_str()) == 0 || errno == ENOENT;
}
}  // namespace

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
    int fd = ::open(lock.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
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
