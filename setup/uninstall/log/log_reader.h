// ReadInstallLog: the installation log turned into the item lists.
#pragma once

#include <string>

#include "log/item_lists.h"
#include "win/types.h"

namespace remvex {

struct ReaderSettings {
  int platform = 1;           // 1 Windows NT, 2 other Win32
  bool newShell = true;       // major version 4 or more
  bool titleArgument = false; // the command line gave the window title
  win::HWND owner = nullptr;  // owner of the reader's message boxes
  std::string iniPath;        // the uninstaller's INI file (message overrides)
};

// Reads the log at logPath (made absolute first) into state. 0 on success, 1 when the log
// cannot be opened, is invalid, or needs administrator rights that are not held (each after
// its message box).
int ReadInstallLog(const std::string& logPath, const ReaderSettings& settings, LogState& state);

}  // namespace remvex
