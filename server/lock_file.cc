// Lock-file protocol: poll while a lock exists, take it with an exclusive
// create, release it with three attempts.
#include "server/lock_file.h"

#include <cerrno>

#include "platform/clock.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "server/held_files.h"
#include "server/log.h"

namespace cvlm {

namespace {

// Existence, not readability: an unreadable lock file or a dangling link
// still blocks, exactly as it blocks the exclusive create.
bool lockExists(const std::string& lock) { return platform::entryExists(lock); }

bool removeLock(const std::string& lock) {
  if (platform::shouldFail(platform::FaultOp::LockRemove, lock)) return false;
  return releaseHeldFile(lock, true);
}

}  // namespace

std::string lockFileName(const std::string& name) { return name + kLockSuffix; }

bool waitLockFile(const std::string& name) {
  if (!lockExists(lockFileName(name))) return false;
  platform::sleepMs(kLockPollMs);
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
    int taken = createHeldFile(lock, [&] { return platform::File::createExclusive(lock).isOpen() ? 0 : -1; });
    if (taken == 0) return 0;
    if (errno == EINTR) continue;
    // Another writer took it between our test and our create: wait again.
    if (errno == EEXIST) {
      platform::sleepMs(kLockPollMs);
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
    platform::sleepMs(kUntouchRetryMs);
  }
  return 1;
}

}  // namespace cvlm
