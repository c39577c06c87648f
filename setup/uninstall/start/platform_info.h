// The platform flag (1 Windows NT, 2 other Win32) and the new-shell flag.
#pragma once

#include "win/system.h"

namespace remvex {

struct PlatformInfo {
  int platform = 2;
  bool newShell = false;
};

inline PlatformInfo DetectPlatform() {
  win::OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  PlatformInfo out;
  if (!win::GetVersionEx(&info)) return out;
  out.platform = info.dwPlatformId == win::VER_PLATFORM_WIN32_NT ? 1 : 2;
  out.newShell = info.dwMajorVersion >= 4;
  return out;
}

}  // namespace remvex
