// Path forms: the full path of a name (no lookup), and the short and long
// forms of an existing path, which are the same here (on-disk names).
#include "file_access.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

// The absolute path of an existing file with its on-disk names.
DWORD existingPathForm(LPCSTR path, LPSTR buffer, DWORD size) {
  auto t = files::resolve(path);
  if (!t) return 0;
  if (!t->exists) {
    files::fail(t->missingError());
    return 0;
  }
  return files::copyOut(t->path.text(), buffer, size);
}

}  // namespace

DWORD GetFullPathName(LPCSTR lpFileName, DWORD nBufferLength, LPSTR lpBuffer, LPSTR* lpFilePart) {
  if (!lpFileName) return files::fail(ERROR_INVALID_PARAMETER);
  auto path = parsePath(lpFileName, kWildcardsInLast);
  if (!path) return 0;
  std::string text = path->text();
  DWORD n = files::copyOut(text, lpBuffer, nBufferLength);
  if (lpFilePart && n == text.size()) {
    bool hasName = !path->parts.empty() && !path->trailingSeparator;
    *lpFilePart = hasName ? lpBuffer + text.size() - path->name().size() : nullptr;
  }
  return n;
}

DWORD GetShortPathName(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer) {
  return existingPathForm(lpszLongPath, lpszShortPath, cchBuffer);
}

DWORD GetLongPathName(LPCSTR lpszShortPath, LPSTR lpszLongPath, DWORD cchBuffer) {
  return existingPathForm(lpszShortPath, lpszLongPath, cchBuffer);
}

}  // namespace win
