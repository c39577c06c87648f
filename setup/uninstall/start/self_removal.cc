#include "start/self_removal.h"

#include "constants.h"
#include "log/path_names.h"
#include "start/command_line.h"
#include "start/reboot_delete.h"
#include "win/access_rights.h"
#include "win/files.h"
#include "win/process.h"
#include "win/restart.h"
#include "win/resource.h"

namespace remvex {

std::string MakeTemporaryCopy(const std::string& moduleFile, int platform) {
  char temp[256] = {};
  win::DWORD n = win::GetTempPath(sizeof temp, temp);
  if (n == 0 || n >= sizeof temp) return "";
  char name[win::MAX_PATH] = {};
  if (win::GetTempFileName(temp, kTempCopyPrefix, kTempCopyUnique, name) == 0) return "";
  std::string copy = name;
  if (copy.size() < 3) return "";
  copy.replace(copy.size() - 3, 3, "EXE");
  // An old copy goes first, so the new one is made afresh.
  win::SetFileAttributes(copy.c_str(), win::FILE_ATTRIBUTE_NORMAL);
  win::DeleteFile(copy.c_str());
  if (win::CopyFile(moduleFile.c_str(), copy.c_str(), win::TRUE)) DeleteFileAtReboot(copy, platform);
  return copy;
}

std::string SecondStageCommand(const std::string& tempCopy, const std::string& programFile,
                               const std::string& logDirectory) {
  return JoinArguments({tempCopy, "/z", programFile, logDirectory});
}

std::string WriteRestartProgram() {
  auto bytes = win::findResourceBytes(nullptr, win::MAKEINTRESOURCE(kRestartResourceType),
                                      win::MAKEINTRESOURCE(kRestartResourceId));
  if (!bytes) return "";
  const std::string path = WindowsDirectoryFile(kRestartFileName);
  const std::string staging = WindowsDirectoryFile(kRestartStagingName);
  // A file made new here, so nothing planted under the name is written through.
  win::HANDLE file = win::CreateFile(staging.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_NEW,
                                     win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return "";
  win::DWORD written = 0;
  bool whole = win::WriteFile(file, bytes->data, static_cast<win::DWORD>(bytes->size), &written, nullptr) &&
               written == bytes->size;
  win::CloseHandle(file);
  if (whole && win::MoveFileEx(staging.c_str(), path.c_str(), win::MOVEFILE_REPLACE_EXISTING)) return path;
  win::DeleteFile(staging.c_str());
  return "";
}

void RequestReboot() {
  win::HANDLE token = nullptr;
  if (win::OpenProcessToken(win::GetCurrentProcess(), win::TOKEN_ADJUST_PRIVILEGES | win::TOKEN_QUERY, &token)) {
    win::TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = win::SE_PRIVILEGE_ENABLED;
    if (win::LookupPrivilegeValue(nullptr, win::SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
      win::AdjustTokenPrivileges(token, win::FALSE, &privileges, 0, nullptr, nullptr);
    win::CloseHandle(token);
  }
  win::ExitWindowsEx(win::EWX_REBOOT, 0);
}

void DeleteIniFile(const std::string& iniPath) {
  win::OFSTRUCT info{};
  win::OpenFile(iniPath.c_str(), &info, win::OF_DELETE);
}

}  // namespace remvex
