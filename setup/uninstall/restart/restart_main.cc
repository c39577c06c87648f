// The restart program the uninstaller writes to the Windows directory when a
// busy file waits for the next restart: it schedules its own deletion at that
// restart and asks for the restart. Exit code 0.
#include "win/error.h"
#include "win/files.h"
#include "win/library.h"
#include "win/process.h"
#include "win/restart.h"

namespace {

// Enables SeShutdownPrivilege in the process token; false when it could not be.
bool enableShutdown() {
  win::HANDLE token = nullptr;
  if (!win::OpenProcessToken(win::GetCurrentProcess(), win::TOKEN_ADJUST_PRIVILEGES | win::TOKEN_QUERY, &token))
    return false;
  win::TOKEN_PRIVILEGES privileges{};
  bool ok = win::LookupPrivilegeValue(nullptr, win::SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid);
  if (ok) {
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = win::SE_PRIVILEGE_ENABLED;
    ok = win::AdjustTokenPrivileges(token, win::FALSE, &privileges, 0, nullptr, nullptr) &&
         win::GetLastError() != win::ERROR_NOT_ALL_ASSIGNED;
  }
  win::CloseHandle(token);
  return ok;
}

}  // namespace

int main() {
  char self[win::MAX_PATH] = {};
  win::DWORD n = win::GetModuleFileName(nullptr, self, sizeof self);
  if (n > 0 && n < sizeof self)
    win::MoveFileEx(self, nullptr, win::MOVEFILE_REPLACE_EXISTING | win::MOVEFILE_DELAY_UNTIL_REBOOT);
  if (enableShutdown()) win::ExitWindowsEx(win::EWX_REBOOT, 0);
  win::ExitProcess(0);
}
