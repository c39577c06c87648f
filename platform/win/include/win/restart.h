// Restart requests: the process token's privileges (held by an administrator
// on NT; not implemented on 9x) and ExitWindowsEx, which is recorded in the
// transcript and <state>/reboots.txt and never performed.
#pragma once

#include "win/types.h"

namespace win {

struct LUID {
  DWORD LowPart;
  LONG HighPart;
};
static_assert(sizeof(LUID) == 8);
using PLUID = LUID*;

struct LUID_AND_ATTRIBUTES {
  LUID Luid;
  DWORD Attributes;
};
static_assert(sizeof(LUID_AND_ATTRIBUTES) == 12);

struct TOKEN_PRIVILEGES {
  DWORD PrivilegeCount;
  LUID_AND_ATTRIBUTES Privileges[1];
};
static_assert(sizeof(TOKEN_PRIVILEGES) == 16);
using PTOKEN_PRIVILEGES = TOKEN_PRIVILEGES*;

inline constexpr DWORD TOKEN_ADJUST_PRIVILEGES = 0x0020;
inline constexpr DWORD TOKEN_QUERY = 0x0008;
inline constexpr DWORD SE_PRIVILEGE_ENABLED = 0x00000002;
inline constexpr const char* SE_SHUTDOWN_NAME = "SeShutdownPrivilege";

inline constexpr UINT EWX_LOGOFF = 0;
inline constexpr UINT EWX_SHUTDOWN = 1;
inline constexpr UINT EWX_REBOOT = 2;
inline constexpr UINT EWX_FORCE = 4;
inline constexpr UINT EWX_POWEROFF = 8;

// A token handle of the calling process (ProcessHandle: GetCurrentProcess()).
BOOL OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
// The LUID of a privilege name (case-blind); ERROR_NO_SUCH_PRIVILEGE for an unknown one.
BOOL LookupPrivilegeValue(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid);
// Enables or disables privileges of the process. Without administrator rights it returns TRUE
// with ERROR_NOT_ALL_ASSIGNED and enables nothing, as Windows does for privileges not held.
BOOL AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState,
                           DWORD BufferLength, PTOKEN_PRIVILEGES PreviousState, LPDWORD ReturnLength);
// Records the request; on NT a shutdown, reboot or power-off needs SeShutdownPrivilege enabled
// (else ERROR_PRIVILEGE_NOT_HELD). The process goes on running.
BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason);

}  // namespace win
