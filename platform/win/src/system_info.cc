// Version, metrics, memory status and user name from the machine description
// ([system]) and the fixed sizes of constants.h.
#include <cstring>

#include "win/constants.h"
#include "win/error.h"
#include "win/machine.h"
#include "win/system.h"
#include "win/ui_constants.h"

namespace win {

namespace {

const SystemSettings& settings() { return machine().description().system; }

DWORD platformId(WinPlatform p) {
  switch (p) {
    case WinPlatform::Nt:
      return VER_PLATFORM_WIN32_NT;
    case WinPlatform::Win9x:
      return VER_PLATFORM_WIN32_WINDOWS;
    case WinPlatform::Win32s:
      return VER_PLATFORM_WIN32s;
  }
  return VER_PLATFORM_WIN32_NT;
}

}  // namespace

BOOL GetVersionEx(LPOSVERSIONINFOA info) {
  if (!info || info->dwOSVersionInfoSize < sizeof(OSVERSIONINFOA)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  const auto& s = settings();
  info->dwMajorVersion = s.majorVersion;
  info->dwMinorVersion = s.minorVersion;
  info->dwPlatformId = platformId(s.platform);
  info->dwBuildNumber = s.build & 0xFFFF;
  if (s.platform != WinPlatform::Nt) info->dwBuildNumber |= (s.majorVersion << 24) | (s.minorVersion << 16);
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::memcpy(info->szCSDVersion, s.servicePack.data(), std::min(s.servicePack.size(), sizeof info->szCSDVersion - 1));
  return TRUE;
}

DWORD GetVersion() {
  const auto& s = settings();
  DWORD low = (s.majorVersion & 0xFF) | ((s.minorVersion & 0xFF) << 8);
  DWORD high = s.platform == WinPlatform::Nt ? (s.build & 0x7FFF) : 0x8000 | (s.build & 0x7FFF);
  return low | (high << 16);
}

int GetSystemMetrics(int index) {
  const auto& s = settings();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
      return s.screenWidth;
    case SM_CYSCREEN:
      return s.screenHeight;
    case SM_CYFULLSCREEN:
      return s.screenHeight - kCaptionHeight;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
      return kScrollBarWidth;
    case SM_CYCAPTION:
      return kCaptionHeight;
    case SM_CYMENU:
      return kMenuHeight;
    case SM_CXBORDER:
    case SM_CYBORDER:
      return kBorder;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
      return kDialogFrame;
    case SM_CXFRAME:
    case SM_CYFRAME:
      return kSizingFrame;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
      return kIconSize;
    case SM_CXSMICON:
    case SM_CYSMICON:
      return kSmallIconSize;
    case SM_DBCSENABLED:
      return IsDBCSLeadByteEx(s.codepage, 0x81) ? 1 : 0;
    default:
      return 0;
  }
}

void GlobalMemoryStatus(LPMEMORYSTATUS status) {
  if (!status) return;
  std::uint64_t memory = settings().memoryBytes;
  status->dwLength = sizeof(MEMORYSTATUS);
  status->dwMemoryLoad = kMemoryLoadPercent;
  status->dwTotalPhys = memory;
  status->dwAvailPhys = memory * (100 - kMemoryLoadPercent) / 100;
  status->dwTotalPageFile = memory * 2;
  status->dwAvailPageFile = memory * 2 - memory * kMemoryLoadPercent / 100;  // less the memory in use
  status->dwTotalVirtual = kTotalVirtualBytes;
  status->dwAvailVirtual = kTotalVirtualBytes - kUsedVirtualBytes;
}

BOOL GetUserName(LPSTR buffer, LPDWORD size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string& user = settings().user;
  auto needed = static_cast<DWORD>(user.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::memcpy(buffer, user.c_str(), needed);
  *size = needed;
  return TRUE;
}

UINT GetACP() { return settings().codepage; }

UINT GetOEMCP() {
  UINT acp = GetACP();
  return IsDBCSLeadByteEx(acp, 0x81) ? acp : kOemCodePage;
}

int MulDiv(int nNumber, int nNumerator, int nDenominator) {
  if (nDenominator == 0) return -1;
  long long product = static_cast<long long>(nNumber) * nNumerator;
  long long half = (nDenominator < 0 ? -static_cast<long long>(nDenominator) : nDenominator) / 2;
  bool negative = (product < 0) != (nDenominator < 0);
  long long magnitude = (product < 0 ? -product : product) + half;
  long long q = magnitude / (nDenominator < 0 ? -static_cast<long long>(nDenominator) : nDenominator);
  long long result = negative ? -q : q;
  if (result > 2147483647LL || result < -2147483648LL) return -1;
  return static_cast<int>(result);
}

}  // namespace win
