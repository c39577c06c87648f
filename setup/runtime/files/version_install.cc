// FindVersionTarget and InstallFileVersion over the machine's VerFindFile and
// VerInstallFile.
#include "files/version_install.h"

#include "files/file_utils.h"
#include "files/paths.h"
#include "files/side_names.h"
#include "files/versions.h"
#include "text/copy_text.h"
#include "text/path_text.h"
#include "win/files.h"
#include "win/version.h"

namespace merl {

namespace {

// Copies path into out (256 bytes) in its absolute long form; a path that has none is kept.
void absoluteCopy(char* out, const char* path) {
  copyText(out, kPathBufferSize, path ? path : "");
  char full[kPathBufferSize];
  copyText(full, sizeof full, out);
  if (*full && MakeFullPath(full, true)) copyText(out, kPathBufferSize, full);
}

DWORD installPe(DWORD flags, const char* srcName, const char* destName, const char* srcDir, const char* destDir,
                const char* curDir, char* tempName, win::UINT* tempLength) {
  char destination[kPathBufferSize];
  if (!JoinPath(destination, destDir, destName)) return win::VIF_CANNOTCREATE;
  char side[kPathBufferSize] = "";
  char installName[kPathBufferSize];
  bool viaSide = CheckFileExists(destination) != 0;
  if (viaSide) {
    if (!MakeSideFileName(side, destination)) return win::VIF_CANNOTCREATE;
    copyText(installName, sizeof installName, PathFileName(side));
  } else {
    char full[kPathBufferSize];
    absoluteCopy(full, destination);
    copyText(installName, sizeof installName, PathFileName(full));
  }
  DWORD result = win::VerInstallFile(flags, srcName, installName, srcDir, destDir, curDir, tempName, tempLength);
  if (viaSide && CheckFileExists(side) == 0 && !win::MoveFile(side, destination)) {
    win::DeleteFile(side);
    result |= win::VIF_FILEINUSE;
  }
  return result;
}

}  // namespace

bool FindVersionTarget(const char* freshFile, DWORD flags, const char* name, const char* winDir, const char* appDir,
                       char* curDir, win::UINT* curDirLength, char* destDir, win::UINT* destDirLength) {
  bool isPe = IsPeFile(freshFile);
  win::VerFindFile(flags, name, winDir, appDir, curDir, curDirLength, destDir, destDirLength);
  return isPe;
}

DWORD InstallFileVersion(bool isPe, DWORD flags, const char* srcName, const char* destName, const char* srcDir,
                         const char* destDir, const char* curDir, char* tempName, win::UINT* tempLength) {
  if (isPe) return installPe(flags, srcName, destName, srcDir, destDir, curDir, tempName, tempLength);
  char source[kPathBufferSize], destination[kPathBufferSize], current[kPathBufferSize];
  absoluteCopy(source, srcDir);
  absoluteCopy(destination, destDir);
  absoluteCopy(current, curDir);
  return win::VerInstallFile(flags, srcName, destName, source, destination, current, tempName, tempLength);
}

}  // namespace merl
