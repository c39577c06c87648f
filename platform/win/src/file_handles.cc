// File handles: CreateFile with its dispositions and the layer's checks, reads
// and writes (read errors and short writes injected by path), the file
// pointer and size, file times, and CloseHandle for every kernel handle.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "file_access.h"
#include "platform/faults.h"
#include "platform/files.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

class FileObject : public HandleObject {
 public:
  FileObject(int fd, DWORD access, std::string subject) : fd(fd), access(access), subject(std::move(subject)) {}
  ~FileObject() override { ::close(fd); }
  FileObject(const FileObject&) = delete;
  FileObject& operator=(const FileObject&) = delete;

  const int fd;
  const DWORD access;
  const std::string subject;  // the Windows path, for fault rules
};

constexpr DWORD kSettableAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;

std::shared_ptr<FileObject> findFile(HANDLE h) {
  auto file = machine().kernelHandles().find<FileObject>(handleValue(h));
  if (!file) SetLastError(ERROR_INVALID_HANDLE);
  return file;
}

// The file of a read or write that may go ahead (the count done set to 0 first); null with the
// last error set otherwise.
std::shared_ptr<FileObject> fileForTransfer(HANDLE h, DWORD access, const void* buffer, DWORD n, LPDWORD done,
                                            LPVOID overlapped) {
  if (done) *done = 0;
  auto file = findFile(h);
  if (!file) return nullptr;
  DWORD error = overlapped || (!buffer && n) ? ERROR_INVALID_PARAMETER
                : !(file->access & access)  ? ERROR_ACCESS_DENIED
                                            : ERROR_SUCCESS;
  if (error == ERROR_SUCCESS) return file;
  SetLastError(error);
  return nullptr;
}

HANDLE refuse(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

int openFlags(DWORD access) {
  bool reads = access & GENERIC_READ;
  bool writes = access & GENERIC_WRITE;
  // O_NONBLOCK: a host name swapped for a FIFO meanwhile cannot hold the open (it is refused next).
  return (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
}

// The handle of an opened host file, after the file's attributes are set.
HANDLE addHandle(int fd, DWORD access, files::FileTarget t, std::optional<DWORD> attributes, DWORD lastError) {
  if (::fstat(fd, &t.st) != 0 || !S_ISREG(t.st.st_mode)) {
    ::close(fd);
    return refuse(ERROR_ACCESS_DENIED);
  }
  t.exists = true;
  t.isDirectory = false;
  auto file = std::make_shared<FileObject>(fd, access, t.subject());
  if (attributes && !files::applyAttributes(t, *attributes)) return INVALID_HANDLE_VALUE;
  HANDLE h = handleFromValue<HANDLE>(machine().kernelHandles().add(std::move(file)));
  SetLastError(lastError);
  return h;
}

HANDLE openExisting(const files::FileTarget& t, DWORD access, DWORD disposition, DWORD attributes) {
  if (!S_ISREG(t.st.st_mode)) return refuse(ERROR_ACCESS_DENIED);
  if (disposition == CREATE_NEW) return refuse(ERROR_FILE_EXISTS);
  bool truncates = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
  if (disposition == TRUNCATE_EXISTING && !(access & GENERIC_WRITE)) return refuse(ERROR_INVALID_PARAMETER);
  if ((access & GENERIC_WRITE) || truncates) {
    if (files::isReadOnly(t)) return refuse(ERROR_ACCESS_DENIED);
    if (files::isBusy(t)) return refuse(ERROR_SHARING_VIOLATION);
  }
  std::optional<DWORD> newAttributes;
  if (disposition == CREATE_ALWAYS) {
    DWORD existing = files::attributesOf(t);
    DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    if ((existing & kept & ~attributes) != 0 || files::createFails(t)) return refuse(ERROR_ACCESS_DENIED);
    newAttributes = (attributes & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE;
  }
  int fd = ::open(t.host.c_str(), openFlags(access) | (truncates ? O_TRUNC : 0));
  if (fd < 0) return refuse(errorFromErrno(errno));
  bool reports = disposition == OPEN_ALWAYS || disposition == CREATE_ALWAYS;
  return addHandle(fd, access, t, newAttributes, reports ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
}

HANDLE createNew(const files::FileTarget& t, DWORD access, DWORD disposition, DWORD attributes) {
  if (!t.parentExists) return refuse(ERROR_PATH_NOT_FOUND);
  if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING) return refuse(ERROR_FILE_NOT_FOUND);
  if (files::createFails(t)) return refuse(ERROR_ACCESS_DENIED);
  int fd = ::open(t.host.c_str(), openFlags(access) | O_CREAT | O_EXCL, files::newFileMode(t.path.name()));
  if (fd < 0) return refuse(errorFromErrno(errno));
  HANDLE h = addHandle(fd, access, t, (attributes & kSettableAttributes) | FILE_ATTRIBUTE_ARCHIVE, ERROR_SUCCESS);
  if (h == INVALID_HANDLE_VALUE) ::unlink(t.host.c_str());  // nothing half-made stays
  return h;
}

}  // namespace

HANDLE CreateFile(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES, DWORD dwCreationDisposition,
                  DWORD dwFlagsAndAttributes, HANDLE) {
  if (dwCreationDisposition < CREATE_NEW || dwCreationDisposition > TRUNCATE_EXISTING)
    return refuse(ERROR_INVALID_PARAMETER);
  auto t = files::resolve(lpFileName);
  if (!t) return INVALID_HANDLE_VALUE;
  if (t->path.parts.empty() || t->isDirectory || files::isDenied(*t)) return refuse(ERROR_ACCESS_DENIED);
  if (t->exists) return openExisting(*t, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);
  return createNew(*t, dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes);
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPVOID lpOverlapped) {
  auto file = fileForTransfer(hFile, GENERIC_READ, lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead, lpOverlapped);
  if (!file) return FALSE;
  if (platform::shouldFail(platform::FaultOp::ReadError, file->subject)) return files::fail(ERROR_READ_FAULT);
  auto* p = static_cast<char*>(lpBuffer);
  DWORD done = 0;
  while (done < nNumberOfBytesToRead) {
    ssize_t r = ::read(file->fd, p + done, nNumberOfBytesToRead - done);
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return files::fail(ERROR_READ_FAULT);
    if (r == 0) break;
    done += static_cast<DWORD>(r);
  }
  if (lpNumberOfBytesRead) *lpNumberOfBytesRead = done;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPVOID lpOverlapped) {
  auto file =
      fileForTransfer(hFile, GENERIC_WRITE, lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten, lpOverlapped);
  if (!file) return FALSE;
  DWORD n = nNumberOfBytesToWrite;
  long long limit = 0;
  if (platform::shouldFail(platform::FaultOp::ShortWrite, file->subject, &limit)) {
    off_t at = ::lseek(file->fd, 0, SEEK_CUR);  // the file ends at byte limit, as on a full disk
    n = at >= limit ? 0 : static_cast<DWORD>(std::min<long long>(n, limit - at));
  }
  if (!platform::writeAll(file->fd, lpBuffer, n)) return files::fail(errorFromErrno(errno));
  if (lpNumberOfBytesWritten) *lpNumberOfBytesWritten = n;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
  auto file = findFile(hFile);
  if (!file) return INVALID_SET_FILE_POINTER;
  std::int64_t distance = lDistanceToMove;
  if (lpDistanceToMoveHigh)
    distance = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(*lpDistanceToMoveHigh)) << 32) |
        static_cast<std::uint32_t>(lDistanceToMove));
  struct stat st{};
  std::int64_t base = 0;
  if (dwMoveMethod == FILE_CURRENT)
    base = ::lseek(file->fd, 0, SEEK_CUR);
  else if (dwMoveMethod == FILE_END && ::fstat(file->fd, &st) == 0)
    base = st.st_size;
  else if (dwMoveMethod != FILE_BEGIN)
    base = -1;
  std::int64_t target = 0;
  if (base < 0 || __builtin_add_overflow(base, distance, &target)) {
    files::fail(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (target < 0) {
    files::fail(ERROR_NEGATIVE_SEEK);
    return INVALID_SET_FILE_POINTER;
  }
  if ((!lpDistanceToMoveHigh && target > 0xFFFFFFFE) || ::lseek(file->fd, target, SEEK_SET) < 0) {
    files::fail(ERROR_INVALID_PARAMETER);
    return INVALID_SET_FILE_POINTER;
  }
  if (lpDistanceToMoveHigh) *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(target);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
  auto file = findFile(hFile);
  struct stat st{};
  if (!file) return INVALID_FILE_SIZE;
  if (::fstat(file->fd, &st) != 0) {
    setLastErrorFromErrno(errno);
    return INVALID_FILE_SIZE;
  }
  auto size = static_cast<std::uint64_t>(st.st_size);
  if (lpFileSizeHigh) *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(size);
}

BOOL FlushFileBuffers(HANDLE hFile) {
  auto file = findFile(hFile);
  if (!file) return FALSE;
  if (!(file->access & GENERIC_WRITE)) return files::fail(ERROR_ACCESS_DENIED);
  if (::fsync(file->fd) != 0) return files::fail(ERROR_WRITE_FAULT);
  return TRUE;
}

BOOL SetEndOfFile(HANDLE hFile) {
  auto file = findFile(hFile);
  if (!file) return FALSE;
  if (!(file->access & GENERIC_WRITE)) return files::fail(ERROR_ACCESS_DENIED);
  off_t at = ::lseek(file->fd, 0, SEEK_CUR);
  if (at < 0 || ::ftruncate(file->fd, at) != 0) return files::fail(errorFromErrno(errno));
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

BOOL CloseHandle(HANDLE hObject) {
  if (!machine().kernelHandles().remove(handleValue(hObject))) return files::fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

BOOL GetFileTime(HANDLE hFile, FILETIME* lpCreationTime, FILETIME* lpLastAccessTime, FILETIME* lpLastWriteTime) {
  auto file = findFile(hFile);
  if (!file) return FALSE;
  struct stat st{};
  if (::fstat(file->fd, &st) != 0) return files::fail(errorFromErrno(errno));
  // The host keeps no creation time: the last write stands for it.
  if (lpCreationTime) *lpCreationTime = files::fileTimeFromTimespec(st.st_mtim);
  if (lpLastAccessTime) *lpLastAccessTime = files::fileTimeFromTimespec(st.st_atim);
  if (lpLastWriteTime) *lpLastWriteTime = files::fileTimeFromTimespec(st.st_mtim);
  return TRUE;
}

BOOL SetFileTime(HANDLE hFile, const FILETIME*, const FILETIME* lpLastAccessTime, const FILETIME* lpLastWriteTime) {
  auto file = findFile(hFile);
  if (!file) return FALSE;
  if (!(file->access & GENERIC_WRITE)) return files::fail(ERROR_ACCESS_DENIED);
  struct timespec times[2];
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_nsec = UTIME_OMIT;
  if (lpLastAccessTime) times[0] = files::timespecFromFileTime(*lpLastAccessTime);
  if (lpLastWriteTime) times[1] = files::timespecFromFileTime(*lpLastWriteTime);
  if (::futimens(file->fd, times) != 0) return files::fail(errorFromErrno(errno));
  return TRUE;
}

}  // namespace win
