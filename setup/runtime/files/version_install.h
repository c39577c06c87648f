// The system version installer driven for one file: where it goes
// (FindVersionTarget) and the installation itself (InstallFileVersion), a PE
// file into a missing destination going through a side name.
#pragma once

#include "win/types.h"

namespace merl {

// True when freshFile is a PE file. Fills curDir and destDir (their lengths in and out)
// through VerFindFile with flags, name and the Windows and application directories.
bool FindVersionTarget(const char* freshFile, win::DWORD flags, const char* name, const char* winDir,
                       const char* appDir, char* curDir, win::UINT* curDirLength, char* destDir,
                       win::UINT* destDirLength);

// Installs srcDir\srcName as destDir\destName through VerInstallFile and returns its result
// bits. A PE file whose destination is missing is installed under a side name and then moved
// into place; a failed move removes the side name and adds VIF_FILEINUSE. tempName receives
// the installer's temporary name (tempLength in and out). A destination path over 255
// characters, or no free side name, gives VIF_CANNOTCREATE and installs nothing.
win::DWORD InstallFileVersion(bool isPe, win::DWORD flags, const char* srcName, const char* destName,
                              const char* srcDir, const char* destDir, const char* curDir, char* tempName,
                              win::UINT* tempLength);

}  // namespace merl
