// The per-thread last error, and host errno values translated to Windows errors.
#include "win/error.h"

#include <cerrno>

namespace win {

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}  // namespace

DWORD GetLastError() { return lastError; }

void SetLastError(DWORD error) { lastError = error; }

DWORD errorFromErrno(int error) {
  switch (error) {
    case 0: return ERROR_SUCCESS;
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR: return ERROR_ACCESS_DENIED;
    case EROFS: return ERROR_WRITE_PROTECT;
    case EEXIST: return ERROR_FILE_EXISTS;
    case ENOTEMPTY: return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EBADF: return ERROR_INVALID_HANDLE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBUSY:
    case ETXTBSY: return ERROR_SHARING_VIOLATION;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case EXDEV: return ERROR_NOT_SAME_DEVICE;
    case ELOOP: return ERROR_CANT_RESOLVE_FILENAME;
    case ENOEXEC: return ERROR_BAD_EXE_FORMAT;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EPIPE: return ERROR_BROKEN_PIPE;
    default: return ERROR_GEN_FAILURE;
  }
}

void setLastErrorFromErrno(int error) { SetLastError(errorFromErrno(error)); }

}  // namespace win
