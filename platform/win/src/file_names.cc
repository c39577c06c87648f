// Calls on names: DeleteFile, MoveFile and MoveFileEx (never replacing unless
// asked, restart renames into the pending store), CopyFile (whole or not at
// all), and reading and setting attributes. The side store follows every change.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "attribute_store.h"
#include "file_access.h"
#include "pending_renames.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

constexpr std::size_t kCopyBlock = 65536;
constexpr DWORD kMoveFlags =
    MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_WRITE_THROUGH;

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// A name beside the target that no Windows call sees (':' is no Windows name character).
std::string hiddenSideName(const std::string& host) {
  static std::atomic<unsigned> counter{0};
  std::string name = ".ids-copy:" + std::to_string(::getpid()) + ":" + std::to_string(++counter);
  return platform::joinPath(platform::directoryOf(host), name);
}

// Copies the bytes of in to out; a short write injected for the target ends the copy as a full disk.
bool copyBytes(int in, int out, const files::FileTarget& to) {
  long long limit = -1;
  if (!platform::shouldFail(platform::FaultOp::ShortWrite, to.subject(), &limit)) limit = -1;
  std::vector<char> block(kCopyBlock);
  long long done = 0;
  for (;;) {
    ssize_t r = ::read(in, block.data(), block.size());
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return files::fail(ERROR_READ_FAULT);
    if (r == 0) return true;
    if (limit >= 0 && done + r > limit) return files::fail(ERROR_DISK_FULL);
    if (!platform::writeAll(out, block.data(), static_cast<std::size_t>(r))) return files::fail(errorFromErrno(errno));
    done += r;
  }
}

// The host mode of a copy: the source's, executable when the new name is a program's.
mode_t copyMode(const files::FileTarget& from, const files::FileTarget& to) {
  mode_t mode = from.st.st_mode & 0777;
  if (files::isProgramName(to.path.name())) mode |= (mode & 0444) >> 2;
  return mode;
}

// Copies from's bytes, mode, last-write time and attributes onto to in one step: a side file,
// then a rename, so a failed copy leaves the target as it was.
bool copyHostFile(const files::FileTarget& from, const files::FileTarget& to) {
  if (platform::shouldFail(platform::FaultOp::ReadError, from.subject())) return files::fail(ERROR_READ_FAULT);
  int in = ::open(from.host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (in < 0) return files::fail(errorFromErrno(errno));
  std::string side = hiddenSideName(to.host);
  int out = ::open(side.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    ::close(in);
    return files::fail(errorFromErrno(errno));
  }
  struct timespec times[2] = {from.st.st_atim, from.st.st_mtim};
  bool ok = copyBytes(in, out, to);
  if (ok && (::fchmod(out, copyMode(from, to)) != 0 || ::futimens(out, times) != 0))
    ok = files::fail(errorFromErrno(errno));
  ::close(in);
  if (::close(out) != 0 && ok) ok = files::fail(ERROR_WRITE_FAULT);
  if (ok) {
    bool renamed = to.exists ? platform::renameReplace(side, to.host) : platform::renameNoReplace(side, to.host);
    if (!renamed) ok = files::fail(errorFromErrno(errno));
  }
  if (!ok) {
    ::unlink(side.c_str());
    return false;
  }
  auto bits = attributes::stored(from.host);
  attributes::store(to.host, bits.value_or(attributes::defaultBits(false)), false);
  return true;
}

// The checks before a copy or a replacing move may write over an existing target; a target
// with one of the refused attributes is not replaced.
bool mayOverwrite(const files::FileTarget& from, const files::FileTarget& to, DWORD refused) {
  if (to.isDirectory) return files::fail(ERROR_ACCESS_DENIED);
  if (sameFile(from.st, to.st)) return files::fail(ERROR_SHARING_VIOLATION);
  if (files::attributesOf(to) & refused) return files::fail(ERROR_ACCESS_DENIED);
  if (files::isBusy(to)) return files::fail(ERROR_SHARING_VIOLATION);
  return true;
}

// Puts a move off until the restart: only the pending store changes.
BOOL scheduleMove(const files::FileTarget& from, LPCSTR target, DWORD flags) {
  std::string to;
  if (target) {
    auto path = longPathName(target);
    if (!path) return FALSE;
    to = *path;
  }
  if (!files::appendPendingRename(flags, from.path.text(), to)) return files::fail(ERROR_ACCESS_DENIED);
  return TRUE;
}

// Moves between drives: a copy, then the source goes.
BOOL moveAcrossDrives(const files::FileTarget& from, const files::FileTarget& to) {
  if (from.isDirectory) return files::fail(ERROR_NOT_SAME_DEVICE);
  if (files::isBusy(from)) return files::fail(ERROR_SHARING_VIOLATION);
  if (!copyHostFile(from, to)) return FALSE;
  if (::unlink(from.host.c_str()) != 0) return files::fail(errorFromErrno(errno));
  attributes::removeEntries(from.host);
  return TRUE;
}

// Renames on one drive; a change of case alone keeps the file and takes the new name.
BOOL moveOnDrive(const files::FileTarget& from, const files::FileTarget& to, bool replace) {
  std::string target = to.host;
  if (to.exists && sameFile(from.st, to.st)) {
    if (from.host != to.host) return TRUE;  // two names of one file: nothing to do
    target = platform::joinPath(platform::directoryOf(to.host), to.written.name());
    if (target == from.host) return TRUE;
  }
  bool renamed = replace ? platform::renameReplace(from.host, target) : platform::renameNoReplace(from.host, target);
  if (!renamed) return files::fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : errorFromErrno(errno));
  attributes::moveEntries(from.host, target);
  return TRUE;
}

}  // namespace

BOOL DeleteFile(LPCSTR lpFileName) {
  auto t = files::resolve(lpFileName);
  if (!t) return FALSE;
  if (!t->exists) return files::fail(t->missingError());
  // A link goes as a link: its target's read-only bit does not guard it.
  if (t->isDirectory || files::isDenied(*t) || (!t->isLink && files::isReadOnly(*t)))
    return files::fail(ERROR_ACCESS_DENIED);
  if (files::isBusy(*t)) return files::fail(ERROR_SHARING_VIOLATION);
  if (::unlink(t->host.c_str()) != 0) return files::fail(errorFromErrno(errno));
  attributes::removeEntries(t->host);
  return TRUE;
}

BOOL MoveFile(LPCSTR lpExistingFileName, LPCSTR lpNewFileName) {
  return MoveFileEx(lpExistingFileName, lpNewFileName, MOVEFILE_COPY_ALLOWED);
}

BOOL MoveFileEx(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, DWORD dwFlags) {
  bool delay = dwFlags & MOVEFILE_DELAY_UNTIL_REBOOT;
  if ((dwFlags & ~kMoveFlags) || (delay && (dwFlags & MOVEFILE_COPY_ALLOWED)) || (!delay && !lpNewFileName))
    return files::fail(ERROR_INVALID_PARAMETER);
  auto from = files::resolve(lpExistingFileName);
  if (!from) return FALSE;
  if (delay) return scheduleMove(*from, lpNewFileName, dwFlags);
  if (!from->exists) return files::fail(from->missingError());
  auto to = files::resolve(lpNewFileName);
  if (!to) return FALSE;
  if (from->path.parts.empty() || to->path.parts.empty() || files::isDenied(*from) || files::isDenied(*to))
    return files::fail(ERROR_ACCESS_DENIED);
  bool sameName = to->exists && sameFile(from->st, to->st);
  if (to->exists && !sameName) {
    if (!(dwFlags & MOVEFILE_REPLACE_EXISTING)) return files::fail(ERROR_ALREADY_EXISTS);
    if (from->isDirectory) return files::fail(ERROR_ACCESS_DENIED);
    if (!mayOverwrite(*from, *to, FILE_ATTRIBUTE_READONLY)) return FALSE;
  } else if (!to->exists && !to->parentExists) {
    return files::fail(ERROR_PATH_NOT_FOUND);
  }
  if (from->drive != to->drive) {
    if (!(dwFlags & MOVEFILE_COPY_ALLOWED)) return files::fail(ERROR_NOT_SAME_DEVICE);
    return moveAcrossDrives(*from, *to);
  }
  return moveOnDrive(*from, *to, dwFlags & MOVEFILE_REPLACE_EXISTING);
}

BOOL CopyFile(LPCSTR lpExistingFileName, LPCSTR lpNewFileName, BOOL bFailIfExists) {
  auto from = files::resolve(lpExistingFileName);
  if (!from) return FALSE;
  if (!from->exists) return files::fail(from->missingError());
  if (!S_ISREG(from->st.st_mode) || files::isDenied(*from)) return files::fail(ERROR_ACCESS_DENIED);
  auto to = files::resolve(lpNewFileName);
  if (!to) return FALSE;
  if (to->path.parts.empty() || files::isDenied(*to)) return files::fail(ERROR_ACCESS_DENIED);
  if (to->exists) {
    if (bFailIfExists) return files::fail(ERROR_FILE_EXISTS);
    if (!mayOverwrite(*from, *to, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN)) return FALSE;
  } else if (!to->parentExists) {
    return files::fail(ERROR_PATH_NOT_FOUND);
  }
  if (files::createFails(*to)) return files::fail(ERROR_ACCESS_DENIED);
  return copyHostFile(*from, *to);
}

DWORD GetFileAttributes(LPCSTR lpFileName) {
  auto t = files::resolve(lpFileName);
  if (!t) return INVALID_FILE_ATTRIBUTES;
  if (!t->exists) {
    files::fail(t->missingError());
    return INVALID_FILE_ATTRIBUTES;
  }
  return files::attributesOf(*t);
}

BOOL SetFileAttributes(LPCSTR lpFileName, DWORD dwFileAttributes) {
  auto t = files::resolve(lpFileName);
  if (!t) return FALSE;
  if (!t->exists) return files::fail(t->missingError());
  if (files::isDenied(*t)) return files::fail(ERROR_ACCESS_DENIED);
  return files::applyAttributes(*t, dwFileAttributes);
}

}  // namespace win
