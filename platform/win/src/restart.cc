// Token privileges (per process, all disabled at start) and the recorded
// restart requests: one line "flags<TAB>reason<TAB>PROGRAM.EXE" each in
// <state>/reboots.txt, plus a "restart" transcript line.
#include "win/restart.h"

#include <array>
#include <memory>
#include <mutex>
#include <set>

#include "fail.h"
#include "state_file.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/machine.h"
#include "win/path.h"
#include "win/process.h"

namespace win {

namespace {

// The well-known privileges and their fixed LUIDs.
constexpr std::array<std::pair<const char*, DWORD>, 8> kPrivileges{{
    {"SeIncreaseQuotaPrivilege", 5},
    {"SeSecurityPrivilege", 8},
    {"SeTakeOwnershipPrivilege", 9},
    {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},
    {"SeShutdownPrivilege", 19},
    {"SeDebugPrivilege", 20},
    {"SeChangeNotifyPrivilege", 23},
}};
constexpr DWORD kShutdownLuid = 19;

struct TokenObject : HandleObject {
  explicit TokenObject(DWORD a) : access(a) {}
  DWORD access;
};

struct TokenState : MachineState {
  explicit TokenState(Machine&) {}
  std::mutex mutex;
  std::set<DWORD> enabled;  // LUIDs of the enabled privileges
};

bool isKnown(DWORD luid) {
  for (const auto& [name, value] : kPrivileges)
    if (value == luid) return true;
  return false;
}

bool isNt() { return machine().description().system.platform == WinPlatform::Nt; }

}  // namespace

BOOL OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle) {
  if (!isNt()) return failWith(ERROR_CALL_NOT_IMPLEMENTED);
  if (!TokenHandle) return failWith(ERROR_INVALID_PARAMETER);
  if (ProcessHandle != GetCurrentProcess()) return failWith(ERROR_INVALID_HANDLE);
  *TokenHandle = handleFromValue<HANDLE>(machine().kernelHandles().add(std::make_shared<TokenObject>(DesiredAccess)));
  return TRUE;
}

BOOL LookupPrivilegeValue(LPCSTR lpSystemName, LPCSTR lpName, PLUID lpLuid) {
  if (!isNt()) return failWith(ERROR_CALL_NOT_IMPLEMENTED);
  if (lpSystemName && *lpSystemName) return failWith(ERROR_INVALID_PARAMETER);
  if (!lpName || !lpLuid) return failWith(ERROR_INVALID_PARAMETER);
  for (const auto& [name, value] : kPrivileges)
    if (namesEqual(name, lpName)) {
      *lpLuid = LUID{value, 0};
      return TRUE;
    }
  return failWith(ERROR_NO_SUCH_PRIVILEGE);
}

BOOL AdjustTokenPrivileges(HANDLE TokenHandle, BOOL DisableAllPrivileges, PTOKEN_PRIVILEGES NewState, DWORD,
                           PTOKEN_PRIVILEGES PreviousState, LPDWORD ReturnLength) {
  if (!isNt()) return failWith(ERROR_CALL_NOT_IMPLEMENTED);
  auto token = machine().kernelHandles().find<TokenObject>(handleValue(TokenHandle));
  if (!token) return failWith(ERROR_INVALID_HANDLE);
  if (!(token->access & TOKEN_ADJUST_PRIVILEGES)) return failWith(ERROR_ACCESS_DENIED);
  if (PreviousState || ReturnLength) {
    if (ReturnLength) *ReturnLength = 0;
    if (PreviousState) PreviousState->PrivilegeCount = 0;  // previous states are not kept
  }
  auto& state = machine().state<TokenState>();
  std::lock_guard lock(state.mutex);
  if (DisableAllPrivileges) {
    state.enabled.clear();
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  if (!NewState) return failWith(ERROR_INVALID_PARAMETER);
  bool all = true;
  for (DWORD i = 0; i < NewState->PrivilegeCount && i < 64; ++i) {
    const auto& p = NewState->Privileges[i];
    if (p.Luid.HighPart != 0 || !isKnown(p.Luid.LowPart) || !machine().description().system.admin) {
      all = false;
      continue;
    }
    if (p.Attributes & SE_PRIVILEGE_ENABLED) state.enabled.insert(p.Luid.LowPart);
    else state.enabled.erase(p.Luid.LowPart);
  }
  SetLastError(all ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
  return TRUE;
}

BOOL ExitWindowsEx(UINT uFlags, DWORD dwReason) {
  Machine& m = machine();
  bool needsPrivilege = uFlags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF);
  if (isNt() && needsPrivilege) {
    auto& state = m.state<TokenState>();
    std::lock_guard lock(state.mutex);
    if (!state.enabled.count(kShutdownLuid)) return failWith(ERROR_PRIVILEGE_NOT_HELD);
  }
  m.transcript().write("restart", JsonObject().add("flags", uFlags).add("reason", dwReason));
  std::string line = std::to_string(uFlags) + "\t" + std::to_string(dwReason) + "\t" + m.programName() + "\n";
  if (!appendStateLine(m.stateDir() + "/" + kRebootsFileName, line)) return failWith(ERROR_WRITE_FAULT);
  return TRUE;
}

}  // namespace win
