// The uninstaller's process-wide run state: what start-up found out and the
// flags the undo steps set for the end of the run.
#pragma once

#include <string>

#include "win/types.h"

namespace remvex {

// Uninstall modes.
inline constexpr int kAutomaticMode = 1000;
inline constexpr int kCustomMode = 1001;

struct RunState {
  int platform = 2;            // 1 Windows NT, 2 other Win32
  bool newShell = false;       // major version 4 or more
  std::string ownPath;         // the module file, long names
  std::string iniPath;         // the module file with "INI" for its last three characters
  bool silent = false;
  bool automatic = false;
  bool rollback = false;
  bool restartNeeded = false;         // a busy file was staged for replacement at restart
  bool ownExecutableDeleted = false;  // the undo deleted the program's own file
  win::HWND mainWindow = nullptr;
  win::HWND wizard = nullptr;  // the modeless wizard page, when one is open
  int uninstallMode = kAutomaticMode;
  bool cancel = false;         // the wizard's Cancel was confirmed
  bool dialogLibrary = false;  // CTL3D32.DLL loaded and registered
  bool noToAll = false;        // "No to All" was chosen for shared files
  unsigned tempNameCounter = 0;  // next number tried for a "~QDU%04x.TMP" name
};

// The one run state of the process.
RunState& Run();

}  // namespace remvex
