// The query codes of the system-information record, each from the platform's
// version, memory, file, drive, volume and network calls.
#include "interp/system_info_record.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "files/paths.h"
#include "files/versions.h"
#include "script/variables.h"
#include "system/drives.h"
#include "system/net_user.h"
#include "system/proc_cast.h"
#include "system/reg_values.h"
#include "text/date_text.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/files.h"
#include "win/machine_description.h"
#include "win/library.h"
#include "win/resource.h"
#include "win/system.h"

namespace merl {

namespace {

using win::UINT;
using WNetGetConnectionA = DWORD (*)(win::LPCSTR local, win::LPSTR remote, win::LPDWORD length);

inline constexpr int kLastCode = 18;
inline constexpr int kRootMachine = 2;
inline constexpr UINT kOwnerString = 514;
inline constexpr UINT kOrganizationString = 515;
inline constexpr const char* kCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

template <typename... A>
std::string format(const char* pattern, A... args) {
  char text[kValueSlotSize];
  std::snprintf(text, sizeof text, pattern, args...);
  return text;
}

bool versionInfo(win::OSVERSIONINFOA& info) {
  info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return win::GetVersionEx(&info);
}

// The drive number (0 = A) of a text's first letter; -1 when it is none.
int driveOf(const std::string& text) {
  if (text.empty()) return -1;
  char c = static_cast<char>(text[0] & ~0x20);
  return c >= 'A' && c <= 'Z' ? c - 'A' : -1;
}

std::string rootOf(int drive) { return std::string(1, static_cast<char>('A' + drive)) + ":\\"; }

std::string firstDriveOf(UINT type) {
  for (int d = 0; d < 26; ++d)
    if (DriveTypeOf(d) == type) return std::string(1, static_cast<char>('A' + d)) + ":";
  return {};
}

std::string driveLetterType(const std::string& parameter) {
  int d = driveOf(parameter);
  if (d < 0) return {};
  switch (DriveTypeOf(d)) {
    case win::DRIVE_REMOVABLE: return "F";
    case win::DRIVE_FIXED: return "H";
    case win::DRIVE_REMOTE: return "N";
    case win::DRIVE_CDROM: return "C";
    case win::DRIVE_RAMDISK: return "R";
    default: return {};
  }
}

std::string fileWriteTime(const std::string& path) {
  win::HANDLE file = win::CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                                     nullptr, win::OPEN_EXISTING, 0, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return {};
  win::FILETIME written{}, local{};
  win::SYSTEMTIME t{};
  bool ok = win::GetFileTime(file, nullptr, nullptr, &written) && win::FileTimeToLocalFileTime(&written, &local) &&
            win::FileTimeToSystemTime(&local, &t);
  win::CloseHandle(file);
  if (!ok) return {};
  return format("%02d/%02d/%02d %d:%02d:%02d", t.wMonth, t.wDay, t.wYear % 100, t.wHour, t.wMinute, t.wSecond);
}

std::string fileSize(const std::string& path) {
  win::HANDLE file = win::CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                                     nullptr, win::OPEN_EXISTING, 0, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return {};
  DWORD size = win::GetFileSize(file, nullptr);
  win::CloseHandle(file);
  if (size == 0xFFFFFFFFu) return {};
  return format("%ld", static_cast<long>(size));
}

std::string fileVersion(const std::string& parameter) {
  auto full = fullPathName(parameter);
  VersionRecord v;
  if (!full || ReadFileVersion(full->c_str(), v) != 0) return {};
  return format("%d.%d.%d.%d", static_cast<int>(v.versionHigh >> 16), static_cast<int>(v.versionHigh & 0xFFFF),
                static_cast<int>(v.versionLow >> 16), static_cast<int>(v.versionLow & 0xFFFF));
}

// The registered owner (514) or organization (515).
std::string registered(const char* valueName, UINT stringId) {
  if (run().platform.windowsNt) {
    char text[kValueSlotSize] = {};
    char digit = '0';
    if (ReadRegValue(kRootMachine, kCurrentVersionKey, text, valueName, &digit, sizeof text, true) != 0 ||
        digit != '0')
      return {};
    return text;
  }
  if (!run().platform.windows9x) return {};
  HINSTANCE user = win::LoadLibrary("USER.EXE");
  if (!user) return {};
  char text[kValueSlotSize] = {};
  win::LoadString(user, stringId, text, sizeof text);
  win::FreeLibrary(user);
  std::string out = text;
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The path with a connected drive letter replaced by the connection's network name.
std::string networkPath(const std::string& parameter) {
  if (parameter.size() < 2 || parameter[1] != ':' || driveOf(parameter) < 0) return parameter;
  win::HMODULE mpr = win::LoadLibrary("MPR.DLL");
  if (!mpr) return parameter;
  auto connection = procAs<WNetGetConnectionA>(win::GetProcAddress(mpr, "WNetGetConnectionA"));
  char remote[kValueSlotSize] = {};
  DWORD length = sizeof remote;
  bool ok = connection && connection(parameter.substr(0, 2).c_str(), remote, &length) == win::NO_ERROR;
  win::FreeLibrary(mpr);
  return ok ? std::string(remote) + parameter.substr(2) : parameter;
}

std::string volumeSerial(const std::string& parameter) {
  int d = driveOf(parameter);
  if (d < 0) return {};
  DWORD serial = 0;
  if (!win::GetVolumeInformation(rootOf(d).c_str(), nullptr, 0, &serial, nullptr, nullptr, nullptr, 0)) return {};
  return format("%04x-%04x", static_cast<unsigned>(serial >> 16), static_cast<unsigned>(serial & 0xFFFF));
}

std::string volumeLabel(const std::string& parameter) {
  int d = driveOf(parameter);
  if (d < 0) return {};
  char label[kValueSlotSize] = {};
  if (!win::GetVolumeInformation(rootOf(d).c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0))
    return {};
  return label;
}

std::string servicePackNumber() {
  win::OSVERSIONINFOA info;
  if (!versionInfo(info)) return {};
  std::string text(info.szCSDVersion, ::strnlen(info.szCSDVersion, sizeof info.szCSDVersion));
  std::size_t digit = text.find_first_of("0123456789");
  return digit == std::string::npos ? "0" : text.substr(digit);
}

std::string moduleFile() {
  HINSTANCE instance = run().setup() ? run().setup()->setupInstance : nullptr;
  char path[win::MAX_PATH] = {};
  DWORD n = win::GetModuleFileName(instance, path, sizeof path);
  return n == 0 || n >= sizeof path ? std::string() : std::string(path);
}

}  // namespace

std::string SystemInfoText(int code, const std::string& parameter) {
  switch (code) {
    case 0: {
      char now[kValueSlotSize] = {};
      FormatDateTimeNow(now, sizeof now, true);
      return now;
    }
    case 1: {
      win::OSVERSIONINFOA info;
      if (!versionInfo(info)) return {};
      return format("%ld.%ld.%ld", static_cast<long>(info.dwMajorVersion), static_cast<long>(info.dwMinorVersion),
                    static_cast<long>(info.dwBuildNumber & 0xFFFF));
    }
    case 2: {
      DWORD v = win::GetVersion();
      return format("%d.%d", static_cast<int>(v >> 24 & 0xFF), static_cast<int>(v >> 16 & 0xFF));
    }
    case 3: {
      win::MEMORYSTATUS status{};
      status.dwLength = sizeof status;
      win::GlobalMemoryStatus(&status);
      return format("%u", static_cast<unsigned>(status.dwAvailPhys / 1024));
    }
    case 4: return fileWriteTime(parameter);
    case 5: return fileVersion(parameter);
    case 6: return registered("RegisteredOwner", kOwnerString);
    case 7: return registered("RegisteredOrganization", kOrganizationString);
    case 8: return driveLetterType(parameter);
    case 9: return firstDriveOf(win::DRIVE_REMOTE);
    case 10: return firstDriveOf(win::DRIVE_CDROM);
    case 12: return networkPath(parameter);
    case 13: return moduleFile();
    case 14: return fileSize(parameter);
    case 15: return volumeSerial(parameter);
    case 16: return volumeLabel(parameter);
    case 17: {
      char user[kValueSlotSize] = {};
      if (!GetNetUserName(user, parameter.empty() ? nullptr : parameter.c_str())) return {};
      return user;
    }
    case kLastCode: return servicePackNumber();
    default: return {};
  }
}

void QuerySystemInfo(const Record& record) {
  std::string variable(record.string(0));
  SetVar(variable, "");
  std::string parameter = expanded(record.string(1), kTitleSize);
  std::string answer = SystemInfoText(record.flags(), parameter);
  if (!answer.empty()) SetVar(variable, answer.substr(0, kValueSlotSize - 1));
}

int SystemInfoRecord(const Record& record) {
  QuerySystemInfo(record);
  return kNextRecord;
}

}  // namespace merl
