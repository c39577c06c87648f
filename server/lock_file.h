// Lock files: a writer of data file N marks it busy with the empty file
// N + ".lck"; readers wait while that file exists. The lock files and
// temporary files this process holds are noted, so a stopping service can
// remove them before it exits.
#pragma once

#include <functional>
#include <string>
#include <string_view>
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
// Waits until the lock is free and takes it in one step (O_CREAT|O_EXCL):
// 0 taken, -1 the lock file cannot be created (logged).
int touchLockFile(const std::string& name);
// 0 removed, -1 no lock file present, 1 still present after 3 attempts.
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

// Runs create, which makes the file path and returns its descriptor (or -1),
// and notes path as held when it succeeds. Once removeHeldFiles has run it
// never returns: nothing new is created by a stopping process.
int createHeldFile(const std::string& path, const std::function<int()>& create);
// Forgets path (renamed or removed by its holder); with remove it is first
// unlinked, and false (still held) when that fails.
bool releaseHeldFile(const std::string& path, bool remove);

// Creates or truncates the temporary file of a whole-file write, held; -1
// when it cannot be opened (a link or a FIFO in its place is refused).
int createTempFile(const std::string& temp);
// Writes data to temp (created or truncated, held while it is written) and
// renames it over path; false with path untouched and temp removed when a
// step fails.
bool writeFileThroughTemp(const std::string& path, std::string_view data, const std::string& temp);

// For a stopping service whose threads did not end in time: removes every
// lock file and temporary file the process holds; afterwards no thread takes
// a lock or creates a temporary file.
void removeHeldFiles();

namespace testing {
// Makes the next count lock-file removals fail (0 turns the seam off).
void failNextLockRemovals(int count);
}  // namespace testing

}  // namespace cvlm
