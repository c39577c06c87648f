// File helpers that keep state files whole: atomic replacement, no-replace
// renames, bounded reads, opening names beneath the working directory without
// following links, a lock for state files, and seams that let tests make the
// next rename fail or take the path without openat2.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// Writes all n bytes to fd (retried on EINTR and short writes); false on an error.
bool writeAll(int fd, const void* data, std::size_t n);
// Reads exactly n bytes from fd; false on an error or an early end of file.
bool readAll(int fd, void* data, std::size_t n);

// Writes data to path through "<path>.tmp"-style temporary file and rename.
// tempPath names the temporary file; empty means path + ".tmp".
bool writeFileAtomic(const std::string& path, std::string_view data, const std::string& tempPath = "");
// The rest of writeFileAtomic on a temporary file the caller created: writes
// data to fd, syncs and closes it, renames tempPath over path; tempPath is
// removed when any step fails.
bool writeThenRename(int fd, const std::string& tempPath, const std::string& path, std::string_view data);

// rename() that replaces the target (honours the test seam).
bool renameReplace(const std::string& from, const std::string& to);
// The same for two names in the directory dirFd.
bool renameReplaceAt(int dirFd, const std::string& from, const std::string& to);

// rename() that keeps an existing target: false (errno EEXIST) when it exists.
bool renameNoReplace(const std::string& from, const std::string& to);

// Reads a whole regular file; false when it cannot be opened or read, or
// holds more than maxBytes (nothing beyond maxBytes + 1 is ever read).
bool readWholeFile(const std::string& path, std::string& out, std::size_t maxBytes = SIZE_MAX);
// Reads at most the first maxBytes of a regular file; false when it cannot be
// opened or read.
bool readFileStart(const std::string& path, std::string& out, std::size_t maxBytes);

// Opens a relative path beneath the current directory without following any
// symbolic link on the way, the last component included: openat2 with
// RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS, or on kernels without it one
// component at a time with O_NOFOLLOW. flags and mode as for open()
// (O_CLOEXEC is added). -1 with errno set: EXDEV for an absolute path or a
// ".." that leaves the directory, ELOOP for a link.
int openBeneath(const std::string& path, int flags, mode_t mode = 0);

bool fileExists(const std::string& path);

// The name of a regular file in dir whose name equals name without regard to
// ASCII case (the exact name first); empty when there is none.
std::string findFileIgnoringCase(const std::string& dir, const std::string& name);

// An flock on "<path>.lock" held for the life of the object, so that the processes
// reading and rewriting one state file take turns. The wait is bounded (10 s);
// held() says whether the lock was taken.
class FileLock {
 public:
  FileLock(const std::string& path, bool exclusive);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

namespace testing {
// Makes the next count renames fail with EIO (0 turns the seam off).
void failNextRenames(int count);
// Makes openBeneath walk component by component as without openat2.
void useComponentWalk(bool on);
}  // namespace testing

}  // namespace platform
