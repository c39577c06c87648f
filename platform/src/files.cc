// The file handle, the atomic write, renames with and without replacement,
// bounded reads, opening beneath the working directory, existence tests and
// the bounded lock that state-file writers share.
#include "platform/files.h"

#include "platform/faults.h"
#include "platform/paths.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <linux/openat2.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <dirent.h>
#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace platform {

namespace {
std::atomic<bool> componentWalkForced{false};

// A rename the fault point makes fail.
bool renameFails(const std::string& to) {
  if (!shouldFail(FaultOp::Rename, to)) return false;
  errno = EIO;
  return true;
}

bool renameAt(int dirFd, const std::string& from, const std::string& to, bool replace) {
  if (renameFails(to)) return false;
  if (replace) return ::renameat(dirFd, from.c_str(), dirFd, to.c_str()) == 0;
  if (::syscall(SYS_renameat2, dirFd, from.c_str(), dirFd, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without renameat2: link then unlink never replaces the target.
  if (::linkat(dirFd, from.c_str(), dirFd, to.c_str(), 0) != 0) return false;
  ::unlinkat(dirFd, from.c_str(), 0);
  return true;
}

constexpr mode_t kFileMode = 0644;

// Creates name in dirFd for writing, exclusively or emptying a file there.
int createAt(int dirFd, const std::string& name, bool exclusive) {
  int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | (exclusive ? O_EXCL : O_TRUNC);
  return ::openat(dirFd, name.c_str(), flags, kFileMode);
}
}  // namespace

namespace testing {
void useComponentWalk(bool on) { componentWalkForced = on; }
}  // namespace testing

bool renameReplace(const std::string& from, const std::string& to) { return renameAt(AT_FDCWD, from, to, true); }

bool renameNoReplace(const std::string& from, const std::string& to) { return renameAt(AT_FDCWD, from, to, false); }

bool removeFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool writeAll(int fd, const void* data, std::size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

bool readAll(int fd, void* data, std::size_t n) {
  char* p = static_cast<char*>(data);
  while (n > 0) {
    ssize_t r = ::read(fd, p, n);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return true;
}

File File::openForRead(const std::string& path) { return File(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)); }

File File::createExclusive(const std::string& path) { return File(createAt(AT_FDCWD, path, true)); }

File File::createTruncate(const std::string& path) { return File(createAt(AT_FDCWD, path, false)); }

File File::openOrCreate(const std::string& path) {
  return File(::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, kFileMode));
}

File File::openAppend(const std::string& path) {
  return File(::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, kFileMode));
}

File File::openBeneathForRead(const std::string& path) { return File(openBeneath(path, O_RDONLY | O_NONBLOCK)); }

File File::openDirectoryBeneath(const std::string& path) { return File(openBeneath(path, O_RDONLY | O_DIRECTORY)); }

bool File::sync() { return ::fsync(fd()) == 0; }

bool File::regularSize(std::int64_t& size) const {
  struct stat st{};
  if (::fstat(fd(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = st.st_size;
  return true;
}

AtomicFile::AtomicFile(std::string path, std::string temp, Create how, const File* dir)
    : path_(std::move(path)), temp_(std::move(temp)), how_(how), dir_(dir) {}

AtomicFile::~AtomicFile() {
  if (created_) removeTemp();
}

bool AtomicFile::create() {
  file_ = File(createAt(dirFd(), temp_, how_ == Create::Exclusive));
  created_ = file_.isOpen();
  return created_;
}

bool AtomicFile::finish() {
  if (finished_) return finishedWell_;
  finished_ = true;
  finishedWell_ = created_ && file_.sync();
  if (!file_.close()) finishedWell_ = false;
  return finishedWell_;
}

bool AtomicFile::commit(Commit how) {
  if (finish() && renameAt(dirFd(), temp_, path_, how == Commit::Replace)) {
    created_ = false;
    return true;
  }
  int e = errno;
  if (created_) removeTemp();
  errno = e;
  return false;
}

int AtomicFile::dirFd() const { return dir_ ? dir_->fd() : AT_FDCWD; }

void AtomicFile::removeTemp() {
  file_.close();
  ::unlinkat(dirFd(), temp_.c_str(), 0);
  created_ = false;
}

bool writeFileAtomic(const std::string& path, std::string_view data, const std::string& tempPath) {
  AtomicFile file(path, tempPath.empty() ? path + ".tmp" : tempPath);
  return file.create() && file.write(data) && file.commit();
}

namespace {

// Reads a regular file from its start until its end or readLimit bytes;
// false at once for a file whose size is above sizeLimit. The bytes go
// straight into out: a large buffer on the stack would make every thread
// exit that follows pay for returning its pages.
bool readFromStart(const std::string& path, std::string& out, std::size_t readLimit, std::uint64_t sizeLimit) {
  constexpr std::size_t kGrowth = 4096;  // read past the size a file had when opened
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid()) return false;
  struct stat st{};
  if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || static_cast<std::uint64_t>(st.st_size) > sizeLimit)
    return false;
  const std::size_t expected = std::min<std::uint64_t>(static_cast<std::uint64_t>(st.st_size), readLimit);
  out.clear();
  std::size_t got = 0;
  for (;;) {
    std::size_t room = std::min(got < expected ? expected - got : kGrowth, readLimit - got);
    if (room == 0) break;
    out.resize(got + room);
    ssize_t r = ::read(fd.get(), out.data() + got, room);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {
      out.clear();
      return false;
    }
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  out.resize(got);
  return true;
}

}  // namespace

bool readWholeFile(const std::string& path, std::string& out, std::size_t maxBytes) {
  // One byte beyond the bound tells a file that grew after its size was taken.
  std::size_t readLimit = maxBytes == SIZE_MAX ? SIZE_MAX : maxBytes + 1;
  if (readFromStart(path, out, readLimit, maxBytes) && out.size() <= maxBytes) return true;
  out.clear();
  return false;
}

bool readFileStart(const std::string& path, std::string& out, std::size_t maxBytes) {
  return readFromStart(path, out, maxBytes, UINT64_MAX);
}

namespace {

int openat2Beneath(const std::string& path, int flags, mode_t mode) {
#ifdef SYS_openat2
  open_how how{};
  how.flags = static_cast<std::uint64_t>(flags | O_CLOEXEC);
  how.mode = (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode : 0;
  how.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS;
  for (int attempt = 0;; ++attempt) {
    long fd = ::syscall(SYS_openat2, AT_FDCWD, path.c_str(), &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    // EAGAIN: a rename raced the lookup.
    if (errno == EINTR || (errno == EAGAIN && attempt < 3)) continue;
    return -1;
  }
#else
  (void)path, (void)flags, (void)mode;
  errno = ENOSYS;
  return -1;
#endif
}

// The same without openat2. Stricter than it: every ".." is refused.
int walkBeneath(const std::string& path, int flags, mode_t mode) {
  if (!path.empty() && path[0] == '/') {
    errno = EXDEV;
    return -1;
  }
  std::vector<std::string> parts;
  for (std::size_t start = 0; start <= path.size();) {
    std::size_t end = std::min(path.find('/', start), path.size());
    std::string part = path.substr(start, end - start);
    if (part == "..") {
      errno = EXDEV;
      return -1;
    }
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  if (path.empty()) {
    errno = ENOENT;
    return -1;
  }
  if (parts.empty()) return ::open(".", flags | O_CLOEXEC, mode);
  int dir = AT_FDCWD;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    int next = ::openat(dir, parts[i].c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
    if (dir != AT_FDCWD) ::close(dir);
    if (next < 0) return -1;
    struct stat st{};
    if (::fstat(next, &st) != 0 || !S_ISDIR(st.st_mode)) {
      ::close(next);
      errno = S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR;
      return -1;
    }
    dir = next;
  }
  int fd = ::openat(dir, parts.back().c_str(), flags | O_NOFOLLOW | O_CLOEXEC, mode);
  int e = errno;
  if (dir != AT_FDCWD) ::close(dir);
  errno = e;
  return fd;
}

std::atomic<bool> openat2Missing{false};

}  // namespace

int openBeneath(const std::string& path, int flags, mode_t mode) {
  if (!componentWalkForced && !openat2Missing) {
    int fd = openat2Beneath(path, flags, mode);
    if (fd >= 0 || errno != ENOSYS) return fd;
    openat2Missing = true;
  }
  return walkBeneath(path, flags, mode);
}

bool fileExists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

bool entryExists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

bool isRegularFile(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string findFileIgnoringCase(const std::string& dir, const std::string& name) {
  if (isRegularFile(joinPath(dir, name))) return name;
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return {};
  std::string found;
  while (dirent* e = ::readdir(d)) {
    if (::strcasecmp(e->d_name, name.c_str()) == 0 && isRegularFile(joinPath(dir, e->d_name))) {
      found = e->d_name;
      break;
    }
  }
  ::closedir(d);
  return found;
}

FileLock::FileLock(const std::string& path, bool exclusive) {
  constexpr auto kWait = std::chrono::seconds(10);
  Descriptor fd(::open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd.valid()) return;
  auto deadline = std::chrono::steady_clock::now() + kWait;
  while (::flock(fd.get(), (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  fd_ = std::move(fd);
}

}  // namespace platform
