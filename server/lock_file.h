// Lock files: a writer of data file N marks it busy with the empty file
// N + ".lck"; readers wait while that file exists. Each lock taken is a held
// file (server/held_files.h), so a stopping service can remove it.
#pragma once

#include <string>
#include <utility>

namespace cvlm {

inline constexpr const char* kLockSuffix = ".lck";
// Poll interval while a lock file exists.
inline constexpr int kLockPollMs = 100;
// Removal attempts when releasing a lock, and the pause between them.
inline constexpr int kUntouchAttempts = 3;
inline constexpr int kUntouchRetryMs = 300;

std::string lockFileName(const std::string& name);

// True (after sleeping 100 ms) while name + ".lck" exists, false at once when not.
bool waitLockFile(const std::string& name);
// Returns once name + ".lck" is absent (a reader's wait; creates nothing).
void waitForUnlock(const std::string& name);
// Waits until the lock is free and takes it in one step (exclusive create):
// 0 taken, -1 the lock file cannot be created (logged).
int touchLockFile(const std::string& name);
// 0 removed, -1 no lock file present, 1 still present after 3 attempts.
// Removals consult the fault point (platform::FaultOp::LockRemove, the lock
// file's name).
int untouchLockFile(const std::string& name);

// Holds the lock of one data file for its lifetime; releases it only when
// it was taken, so a failed touch never removes another writer's lock.
class LockFileGuard {
 public:
  explicit LockFileGuard(std::string name) : name_(std::move(name)), held_(touchLockFile(name_) == 0) {}
  ~LockFileGuard() {
    if (held_) untouchLockFile(name_);
  }
  LockFileGuard(const LockFileGuard&) = delete;
  LockFileGuard& operator=(const LockFileGuard&) = delete;

  bool held() const { return held_; }

 private:
  std::string name_;
  bool held_;
};

}  // namespace cvlm
