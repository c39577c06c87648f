// Directories: creating and removing them, the process's virtual current
// directory, and the Windows and System directories of the description.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "attribute_store.h"
#include "file_access.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

BOOL CreateDirectory(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES) {
  auto t = files::resolve(lpPathName);
  if (!t) return FALSE;
  if (t->exists) return files::fail(ERROR_ALREADY_EXISTS);
  if (!t->parentExists) return files::fail(ERROR_PATH_NOT_FOUND);
  if (files::isDenied(*t) || files::createFails(*t)) return files::fail(ERROR_ACCESS_DENIED);
  if (::mkdir(t->host.c_str(), 0777) != 0)
    return files::fail(errno == EEXIST ? ERROR_ALREADY_EXISTS : errorFromErrno(errno));
  attributes::removeEntries(t->host);  // what a name of the past left behind
  return TRUE;
}

BOOL RemoveDirectory(LPCSTR lpPathName) {
  auto t = files::resolve(lpPathName);
  if (!t) return FALSE;
  if (!t->exists) return files::fail(t->missingError());
  if (!t->isDirectory) return files::fail(ERROR_DIRECTORY);
  if (t->path.parts.empty() || files::isDenied(*t) || files::isReadOnly(*t)) return files::fail(ERROR_ACCESS_DENIED);
  if (pathsEqual(machine().currentDirectory(), t->path)) return files::fail(ERROR_SHARING_VIOLATION);  // in use
  int r = t->isLink ? ::unlink(t->host.c_str()) : ::rmdir(t->host.c_str());
  if (r != 0) return files::fail(errno == EEXIST ? ERROR_DIR_NOT_EMPTY : errorFromErrno(errno));
  attributes::removeEntries(t->host);
  return TRUE;
}

DWORD GetCurrentDirectory(DWORD nBufferLength, LPSTR lpBuffer) {
  return files::copyOut(machine().currentDirectory().text(), lpBuffer, nBufferLength);
}

BOOL SetCurrentDirectory(LPCSTR lpPathName) {
  auto t = files::resolve(lpPathName);
  if (!t) return FALSE;
  if (!t->exists) return files::fail(t->missingError());
  if (!t->isDirectory) return files::fail(ERROR_DIRECTORY);
  machine().setCurrentDirectory(t->written);
  return TRUE;
}

UINT GetWindowsDirectory(LPSTR lpBuffer, UINT uSize) {
  return files::copyOut(machine().description().windowsDir, lpBuffer, uSize);
}

UINT GetSystemDirectory(LPSTR lpBuffer, UINT uSize) {
  return files::copyOut(machine().description().systemDir, lpBuffer, uSize);
}

}  // namespace win
