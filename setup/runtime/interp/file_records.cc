#include "interp/file_records.h"

#include <string>

#include "files/delete_files.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "files/temp_files.h"
#include "interp/temp_files.h"
#include "script/variables.h"
#include "text/path_text.h"
#include "win/system.h"
#include "script/script_error.h"

namespace merl {

namespace {

inline constexpr BYTE kDeleteInTest = 0x01;
inline constexpr BYTE kDeleteTree = 0x04;
inline constexpr BYTE kDeleteGuardSystem = 0x08;

// True when directory plus a backslash begins %name% plus a backslash, case-blind.
bool beginsVariable(const std::string& directory, const char* name) {
  char value[kValueSlotSize];
  GetVar(name, value, sizeof value);
  std::string prefix = directory + '\\';
  std::string full = std::string(value) + '\\';
  if (prefix.size() > full.size()) return false;
  return win::lstrcmpi(prefix.c_str(), full.substr(0, prefix.size()).c_str()) == 0;
}

}  // namespace

int MakeDirectoryRecord(const Record& record) {
  std::string path = expanded(record.string(0), kTitleSize);
  // The whole path is a directory: a final backslash makes its last level count.
  if (!path.empty() && path.back() != '\\') path += '\\';
  if (path.size() < kPathBufferSize) MakeDirectoryPath(path.c_str());
  return kNextRecord;
}

int TempFileRecord(const Record& record) {
  char path[kPathBufferSize];
  if (!MakeTempFile(path, "QDF")) return kNextRecord;
  if (!tempFiles().add(path)) {
    win::DeleteFile(path);
    return invalidRecord();
  }
  SetVar(record.string(0), PathFileName(path));
  return kNextRecord;
}

int RenameRecord(const Record& record) {
  std::string from = expanded(record.string(0), kTitleSize);
  std::string name = expanded(record.string(1), kTitleSize);
  std::size_t cut = lastBackslash(from);
  std::string target = (cut == std::string::npos ? std::string() : from.substr(0, cut)) + '\\' + name;
  if (target.size() >= kPathBufferSize) return kNextRecord;
  char saved[kPathBufferSize] = {};
  DWORD kept = win::GetCurrentDirectory(sizeof saved, saved);
  std::string root = pathRoot(from);
  if (!root.empty()) win::SetCurrentDirectory(root.c_str());
  win::MoveFile(from.c_str(), target.c_str());
  if (kept > 0 && kept < sizeof saved) win::SetCurrentDirectory(saved);
  return kNextRecord;
}

int DeleteFilesRecord(const Record& record) {
  BYTE flags = record.flags();
  if (run().runState == kStateTest && !(flags & kDeleteInTest)) return kNextRecord;
  std::string pattern = expanded(record.string(0), kTitleSize);
  FindBackupDirVar();
  // The guard sees the directory resolved, so ".." cannot walk around it.
  std::string directory = patternDirectory(pattern);
  if ((flags & kDeleteGuardSystem) && (beginsVariable(directory, "SYS") || beginsVariable(directory, "WIN")))
    return kNextRecord;
  if (deletesNothingIn(pattern)) return kNextRecord;
  DeleteFiles(pattern, flags, kDeleteMode);
  // The tree flag takes only what the deletion emptied: the pattern's own directory goes
  // when nothing is left in it (DeleteFiles has removed the emptied subdirectories).
  if (flags & kDeleteTree) win::RemoveDirectory(directory.c_str());
  return kNextRecord;
}

}  // namespace merl
