#include "system/file_removal.h"

#include "log/path_names.h"
#include "run_state.h"
#include "win/files.h"

namespace remvex {

namespace {

std::string systemPath(win::UINT (*get)(win::LPSTR, win::UINT)) {
  char buffer[win::MAX_PATH] = {};
  win::UINT n = get(buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

}  // namespace

int SetFileAttrs(const std::string& path, win::DWORD attributes) {
  if (attributes == 0) attributes = win::FILE_ATTRIBUTE_NORMAL;
  return win::SetFileAttributes(path.c_str(), attributes) ? 0 : 1;
}

int DeleteOneFile(const std::string& path) {
  // Named before the delete, while the long names can still be found.
  const bool own = !Run().ownPath.empty() && EqualNoCase(NormalizePath(path, true), Run().ownPath);
  if (!win::DeleteFile(path.c_str())) return 1;
  if (own) Run().ownExecutableDeleted = true;
  return 0;
}

int RemoveDir(const std::string& path) {
  SetFileAttrs(path, 0);
  return win::RemoveDirectory(path.c_str()) ? 0 : 1;
}

void RemoveDirectoryTree(const std::string& directory, bool deleteFiles) {
  if (directory.size() < 4 || EqualNoCase(directory, systemPath(win::GetWindowsDirectory)) ||
      EqualNoCase(directory, systemPath(win::GetSystemDirectory)))
    return;
  win::WIN32_FIND_DATAA found{};
  win::HANDLE search = win::FindFirstFile((directory + "\\*.*").c_str(), &found);
  if (search != win::INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (found.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) {
        if (!name.empty() && name[0] != '.') RemoveDirectoryTree(directory + "\\" + name, deleteFiles);
      } else if (deleteFiles) {
        SetFileAttrs(directory + "\\" + name, 0);
        DeleteOneFile(directory + "\\" + name);
      }
    } while (win::FindNextFile(search, &found));
    win::FindClose(search);
  }
  RemoveDir(directory);
}

}  // namespace remvex
