// The run's platform flags from GetVersionEx, and the address of
// "GetDiskFreeSpaceExA" in "KERNEL32.DLL" where it exists.
#include "system/platform_flags.h"

#include "run.h"
#include "system/proc_cast.h"
#include "win/library.h"
#include "win/system.h"

namespace merl {

void InitPlatformFlags() {
  PlatformFlags& flags = run().platform;
  flags = PlatformFlags{};
  flags.win32 = true;
  win::OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (win::GetVersionEx(&version)) {
    flags.majorAbove3 = version.dwMajorVersion > 3;
    flags.windows9x = version.dwPlatformId == win::VER_PLATFORM_WIN32_WINDOWS;
    flags.windowsNt = version.dwPlatformId == win::VER_PLATFORM_WIN32_NT;
  }
  if (win::HMODULE kernel = win::GetModuleHandle("KERNEL32.DLL"))
    flags.getDiskFreeSpaceEx = procAs<DiskFreeSpaceExProc>(win::GetProcAddress(kernel, "GetDiskFreeSpaceExA"));
}

}  // namespace merl
