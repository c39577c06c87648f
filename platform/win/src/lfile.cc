// The 16-bit style file calls over the file handles: _lopen, _lcreat, _lread,
// _lwrite, _llseek, _lclose, and OpenFile with its OFSTRUCT. An HFILE is the
// number of the file's handle.
#include <cstring>

#include "file_access.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

constexpr UINT kAccessBits = 0x3;
constexpr UINT kReadWriteFailed = static_cast<UINT>(HFILE_ERROR);

HANDLE handleOf(HFILE file) {
  return handleFromValue<HANDLE>(static_cast<std::uintptr_t>(static_cast<unsigned>(file)));
}

HFILE fileOf(HANDLE h) { return h == INVALID_HANDLE_VALUE ? HFILE_ERROR : static_cast<HFILE>(handleValue(h)); }

DWORD accessOf(UINT mode) {
  switch (mode & kAccessBits) {
    case OF_WRITE:
      return GENERIC_WRITE;
    case OF_READWRITE:
      return GENERIC_READ | GENERIC_WRITE;
    default:
      return GENERIC_READ;
  }
}

// _lcreat's attribute argument: 1 read-only, 2 hidden, 4 system.
DWORD attributesOf(int attribute) {
  return static_cast<DWORD>(attribute) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}

HFILE refuseOpen(LPOFSTRUCT ofs) {
  ofs->nErrCode = static_cast<WORD>(GetLastError());
  return HFILE_ERROR;
}

}  // namespace

HFILE _lopen(LPCSTR lpPathName, int iReadWrite) {
  return fileOf(CreateFile(lpPathName, accessOf(static_cast<UINT>(iReadWrite)), FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

HFILE _lcreat(LPCSTR lpPathName, int iAttribute) {
  return fileOf(CreateFile(lpPathName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           attributesOf(iAttribute), nullptr));
}

UINT _lread(HFILE hFile, LPVOID lpBuffer, UINT uBytes) {
  DWORD done = 0;
  return ReadFile(handleOf(hFile), lpBuffer, uBytes, &done, nullptr) ? done : kReadWriteFailed;
}

UINT _lwrite(HFILE hFile, LPCSTR lpBuffer, UINT uBytes) {
  DWORD done = 0;
  return WriteFile(handleOf(hFile), lpBuffer, uBytes, &done, nullptr) ? done : kReadWriteFailed;
}

LONG _llseek(HFILE hFile, LONG lOffset, int iOrigin) {
  DWORD at = SetFilePointer(handleOf(hFile), lOffset, nullptr, static_cast<DWORD>(iOrigin));
  if (at == INVALID_SET_FILE_POINTER || at > 0x7FFFFFFF) return HFILE_ERROR;
  return static_cast<LONG>(at);
}

HFILE _lclose(HFILE hFile) { return CloseHandle(handleOf(hFile)) ? 0 : HFILE_ERROR; }

HFILE OpenFile(LPCSTR lpFileName, LPOFSTRUCT lpReOpenBuff, UINT uStyle) {
  if (!lpReOpenBuff) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return HFILE_ERROR;
  }
  std::memset(lpReOpenBuff, 0, sizeof *lpReOpenBuff);
  lpReOpenBuff->cBytes = sizeof *lpReOpenBuff;
  auto t = files::resolve(lpFileName);
  if (!t) return refuseOpen(lpReOpenBuff);
  std::string full = t->path.text();
  if (full.size() >= sizeof lpReOpenBuff->szPathName) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);  // OFSTRUCT holds no longer path
    return refuseOpen(lpReOpenBuff);
  }
  files::copyOut(full, lpReOpenBuff->szPathName, sizeof lpReOpenBuff->szPathName);
  lpReOpenBuff->fFixedDisk = GetDriveType(t->path.root().c_str()) != DRIVE_REMOVABLE;
  if (uStyle & OF_PARSE) return 0;
  if (uStyle & OF_DELETE) return DeleteFile(full.c_str()) ? 1 : refuseOpen(lpReOpenBuff);
  HANDLE h = INVALID_HANDLE_VALUE;
  if (uStyle & OF_CREATE) {
    DWORD access = (uStyle & kAccessBits) == OF_READ ? GENERIC_READ | GENERIC_WRITE : accessOf(uStyle);
    h = CreateFile(full.c_str(), access, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  } else {
    DWORD access = (uStyle & OF_EXIST) ? GENERIC_READ : accessOf(uStyle);
    h = CreateFile(full.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                   FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (h == INVALID_HANDLE_VALUE) return refuseOpen(lpReOpenBuff);
  if (uStyle & OF_EXIST) CloseHandle(h);  // only the test; the number stays as the answer
  SetLastError(ERROR_SUCCESS);
  return fileOf(h);
}

}  // namespace win
