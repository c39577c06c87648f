// BackupEditedFile: the backup is a copy of the file, then one rename puts the
// edited copy over it, so a failure at any step leaves the file as it was.
#include "files/backup_edited_file.h"

#include <cstdio>

#include "files/backups.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "log/install_log.h"
#include "text/dbcs.h"
#include "text/path_text.h"

namespace merl {

namespace {

// Where the numbered extension goes: the last '.' of the file name, or the path's end.
std::size_t extensionAt(std::string_view path) {
  std::size_t slash = lastBackslash(path);
  std::size_t dot = path.size();
  for (std::size_t at = slash == std::string_view::npos ? 0 : slash + 1; at < path.size();
       at += charLengthAt(path, at))
    if (path[at] == '.') dot = at;
  return dot;
}

void logEdit(const char* path, const std::string& backup) {
  if (!LogIsOpen()) return;
  LogText(std::string("File Edit: ") + path + "\r\nBackup Copy: " + backup + "\r\n");
}

}  // namespace

std::string EditedFileBackupName(const char* path) {
  std::string stem(path, extensionAt(path));
  std::string name;
  for (int number = 1; number <= kLastBackupNumber; ++number) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%03d", number);
    name = stem + suffix;
    if (name.size() >= kPathBufferSize) return {};
    if (CheckFileExists(name.c_str()) != 0) break;
  }
  return name;
}

bool BackupEditedFile(const char* path, const char* edited, bool noBackup, std::string_view leadLine) {
  std::string backup;
  bool madeBackup = false;
  if (!noBackup) {
    backup = EditedFileBackupName(path);
    madeBackup = !backup.empty() && CheckFileExists(backup.c_str()) != 0;
    if (backup.empty() || !win::CopyFile(path, backup.c_str(), win::FALSE)) {
      if (madeBackup) win::DeleteFile(backup.c_str());
      win::DeleteFile(edited);
      return false;
    }
  }
  if (!win::MoveFileEx(edited, path, win::MOVEFILE_REPLACE_EXISTING)) {
    if (madeBackup) win::DeleteFile(backup.c_str());
    win::DeleteFile(edited);
    return false;
  }
  if (!leadLine.empty()) LogLine(leadLine);
  if (!noBackup) logEdit(path, backup);
  return true;
}

void CloseAndDeleteTemp(win::HANDLE read, win::HANDLE write, const char* tempPath) {
  if (read != win::INVALID_HANDLE_VALUE) win::CloseHandle(read);
  if (write != win::INVALID_HANDLE_VALUE) win::CloseHandle(write);
  win::DeleteFile(tempPath);
}

}  // namespace merl
