#include "start/self_removal.h"

#include "constants.h"
#include "log/path_names.h"
#include "start/command_line.h"
#include "start/reboot_delete.h"
#include "win/files.h"
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
  win::HFILE file = win::_lcreat(path.c_str(), 0);
  if (file == win::HFILE_ERROR) return "";
  bool whole = win::_lwrite(file, reinterpret_cast<const char*>(bytes->data), bytes->size) == bytes->size;
  win::_lclose(file);
  return whole ? path : "";
}

void DeleteIniFile(const std::string& iniPath) {
  win::OFSTRUCT info{};
  win::OpenFile(iniPath.c_str(), &info, win::OF_DELETE);
}

}  // namespace remvex
