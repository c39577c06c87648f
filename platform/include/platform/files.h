// File helpers that keep state files whole: atomic replacement, no-replace
// renames, exclusive creation, a lock for state files, and a seam that lets
// tests make the next rename fail.
#pragma once

#include <cstddef>
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

// rename() that replaces the target (honours the test seam).
bool renameReplace(const std::string& from, const std::string& to);

// rename() that keeps an existing target: false (errno EEXIST) when it exists.
bool renameNoReplace(const std::string& from, const std::string& to);

// Reads a whole regular file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& out);

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
}  // namespace testing

}  // namespace platform
