// File helpers that keep state files whole: an owned file handle, one
// atomic write (temporary file, then a rename that replaces or keeps the
// target), bounded reads, opening names beneath the working directory
// without following links, existence tests, and a lock for state files.
// Renames consult the fault point (platform/faults.h).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/descriptor.h"

namespace platform {

// Writes all n bytes to fd (retried on EINTR and short writes); false on an error.
bool writeAll(int fd, const void* data, std::size_t n);
// Reads exactly n bytes from fd; false on an error or an early end of file.
bool readAll(int fd, void* data, std::size_t n);

// An open file, closed when the object goes. The creating opens for writing
// refuse a link in the last component, and no open for reading blocks on a
// FIFO. A failed open leaves the object closed with errno set.
class File {
 public:
  File() = default;
  File(File&&) = default;
  File& operator=(File&&) = default;

  // For reading.
  static File openForRead(const std::string& path);
  // Creates the file for writing; fails (EEXIST) when any entry of that name exists.
  static File createExclusive(const std::string& path);
  // Creates the file for writing or empties the one there.
  static File createTruncate(const std::string& path);
  // Opens for reading, creating an empty file when none exists.
  static File openOrCreate(const std::string& path);
  // Opens for appending, creating the file when none exists.
  static File openAppend(const std::string& path);
  // openForRead of a relative path resolved beneath the working directory
  // without following any link (see openBeneath).
  static File openBeneathForRead(const std::string& path);
  // The directory at a relative path, resolved the same way ("." for the
  // working directory itself).
  static File openDirectoryBeneath(const std::string& path);

  bool isOpen() const { return fd_.valid(); }
  int fd() const { return fd_.get(); }

  // All n bytes; false on an error.
  bool write(const void* data, std::size_t n) { return writeAll(fd(), data, n); }
  bool write(std::string_view data) { return write(data.data(), data.size()); }
  // Exactly n bytes; false on an error or an early end.
  bool read(void* data, std::size_t n) { return readAll(fd(), data, n); }
  // Flushes the file's data to the disk.
  bool sync();
  // Closes it now; false when the close reported an error.
  bool close() { return fd_.close(); }
  // True for a regular file, with its size.
  bool regularSize(std::int64_t& size) const;

 private:
  friend class AtomicFile;
  explicit File(int fd) : fd_(fd) {}

  Descriptor fd_;
};

// A file written whole or not at all: the bytes go to a temporary file,
// which commit() syncs, closes and renames onto the path in one step. A
// temporary file that is not committed is removed when the object goes, so
// a failed write leaves the path as it was.
class AtomicFile {
 public:
  enum class Create {
    Truncate,   // the temporary name is the writer's own: an old file there is emptied
    Exclusive,  // the temporary name must be free (EEXIST otherwise)
  };
  enum class Commit {
    Replace,    // an existing file at the path is replaced
    NoReplace,  // an existing file stays; commit fails with EEXIST
  };

  // path and the temporary name; with dir, both are names in that directory.
  AtomicFile(std::string path, std::string temp, Create how = Create::Truncate, const File* dir = nullptr);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; false with errno set.
  bool create();
  bool write(const void* data, std::size_t n) { return file_.write(data, n); }
  bool write(std::string_view data) { return file_.write(data); }
  // Syncs and closes the temporary file, so that commit() has only the
  // rename left; false (errno set) when either fails.
  bool finish();
  // finish() unless done, then the rename; false (errno set, the temporary
  // file removed) when a step fails.
  bool commit(Commit how = Commit::Replace);

 private:
  int dirFd() const;
  void removeTemp();

  std::string path_, temp_;
  Create how_;
  const File* dir_;
  File file_;
  bool created_ = false;
  bool finished_ = false;
  bool finishedWell_ = false;
};

// Writes data to path through a temporary file and a rename. tempPath names
// the temporary file; empty means path + ".tmp".
bool writeFileAtomic(const std::string& path, std::string_view data, const std::string& tempPath = "");

// rename() that replaces the target.
bool renameReplace(const std::string& from, const std::string& to);
// rename() that keeps an existing target: false (errno EEXIST) when it exists.
bool renameNoReplace(const std::string& from, const std::string& to);

// Removes a directory entry (a link itself, not its target); false with errno set.
bool removeFile(const std::string& path);

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

// True when path names something, following links (a dangling link is nothing).
bool fileExists(const std::string& path);
// True when a directory entry of that name exists, without following a
// link: a dangling link or an unreadable file counts.
bool entryExists(const std::string& path);
// True when path is a regular file (following links).
bool isRegularFile(const std::string& path);

// The name of a regular file in dir whose name equals name without regard to
// ASCII case (the exact name first); empty when there is none.
std::string findFileIgnoringCase(const std::string& dir, const std::string& name);

// An flock on "<path>.lock" held for the life of the object, so that the processes
// reading and rewriting one state file take turns. The wait is bounded (10 s);
// held() says whether the lock was taken.
class FileLock {
 public:
  FileLock(const std::string& path, bool exclusive);
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

  bool held() const { return fd_.valid(); }

 private:
  Descriptor fd_;
};

namespace testing {
// Makes openBeneath walk component by component as without openat2.
void useComponentWalk(bool on);
}  // namespace testing

}  // namespace platform
