#include "system/file_removal.h"

#include <cstdio>

#include "log/path_names.h"
#include "run_state.h"
#include "win/files.h"
#include "win/profile.h"

namespace remvex {

namespace {

std::string systemPath(win::UINT (*get)(win::LPSTR, win::UINT)) {
  char buffer[win::MAX_PATH] = {};
  win::UINT n = get(buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

std::string withoutTrailingSlash(std::string path) {
  while (path.size() > 1 && EndsWithBackslash(path)) path.pop_back();
  return path;
}

bool hasWildcard(const std::string& path) { return path.find_first_of("*?") != std::string::npos; }

std::string directoryPart(const std::string& path) {
  auto slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// "X:" or "\\server\share": nothing above it can be named.
bool isRoot(const std::string& path) {
  if (path.size() <= 2) return true;
  if (path.size() == 3 && path[1] == ':') return true;
  if (path.compare(0, 2, "\\\\") == 0) {
    auto server = path.find('\\', 2);
    return server == std::string::npos || path.find('\\', server + 1) == std::string::npos;
  }
  return false;
}

// a equals b or is one of its ancestors.
bool isSelfOrAncestor(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  return EqualNoCase(a, b) || StartsWithNoCase(b, a + "\\");
}

bool isLink(const std::string& path) {
  win::DWORD a = win::GetFileAttributes(path.c_str());
  return a != win::INVALID_FILE_ATTRIBUTES && (a & win::FILE_ATTRIBUTE_REPARSE_POINT);
}

void deleteMatching(const std::string& pattern) {
  const std::string dir = directoryPart(pattern);
  win::WIN32_FIND_DATAA found{};
  win::HANDLE search = win::FindFirstFile(pattern.c_str(), &found);
  if (search == win::INVALID_HANDLE_VALUE) return;
  do {
    if (found.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) continue;
    DeleteFileWithHelpIndex(dir.empty() ? std::string(found.cFileName) : dir + "\\" + found.cFileName);
  } while (win::FindNextFile(search, &found));
  win::FindClose(search);
}

// Puts the staged copy in place at the next restart; false when it could not be scheduled.
bool scheduleReplacement(const std::string& staging, const std::string& target) {
  const std::string from = NormalizePath(staging, false);
  const std::string to = NormalizePath(target, false);
  if (Run().platform == 1)
    return win::MoveFileEx(from.c_str(), to.c_str(),
                           win::MOVEFILE_REPLACE_EXISTING | win::MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  return win::WritePrivateProfileString("rename", to.c_str(), from.c_str(), "WININIT.INI") != 0;
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

void DeleteFileWithHelpIndex(const std::string& path) {
  SetFileAttrs(path, 0);
  DeleteOneFile(path);
  if (path.size() < 5 || !EndsWithNoCase(path, ".HLP")) return;
  const std::string stem = path.substr(0, path.size() - 4);
  for (const char* extension : {".GID", ".FTS"}) {
    SetFileAttrs(stem + extension, 0);
    DeleteOneFile(stem + extension);
  }
}

int RemoveOrRestoreFile(const std::string& path, const std::string& backup, bool restore) {
  if (!hasWildcard(path)) {
    DeleteFileWithHelpIndex(path);
    if (restore && !backup.empty()) ReplaceFileAtReboot(backup, path);
    return 1;
  }
  if (path.size() < 4) return 0;
  const std::string dir = withoutTrailingSlash(NormalizePath(directoryPart(path) + "\\", true));
  if (directoryPart(path).empty() || isRoot(dir) ||
      EqualNoCase(dir, systemPath(win::GetWindowsDirectory)) || EqualNoCase(dir, systemPath(win::GetSystemDirectory)))
    return 0;
  deleteMatching(path);
  return 1;
}

void ReplaceFileAtReboot(const std::string& backup, const std::string& target) {
  if (win::CopyFile(backup.c_str(), target.c_str(), win::FALSE)) {
    DeleteFileWithHelpIndex(backup);
    return;
  }
  const std::string staging = MakeUniqueTempName(target);
  if (!win::CopyFile(backup.c_str(), staging.c_str(), win::FALSE)) {
    DeleteFileWithHelpIndex(target);
    return;
  }
  if (!scheduleReplacement(staging, target)) {
    DeleteFileWithHelpIndex(staging);
    return;
  }
  Run().restartNeeded = true;
  DeleteFileWithHelpIndex(backup);
}

std::string MakeUniqueTempName(const std::string& target) {
  const std::string dir = directoryPart(target);
  for (unsigned tries = 0; tries <= 0xFFFF; ++tries) {
    char name[16];
    std::snprintf(name, sizeof name, "~QDU%04x.TMP", Run().tempNameCounter & 0xFFFF);
    ++Run().tempNameCounter;
    const std::string path = dir.empty() ? std::string(name) : dir + "\\" + name;
    if (win::GetFileAttributes(path.c_str()) == win::INVALID_FILE_ATTRIBUTES) return path;
  }
  return dir + "\\~QDU0000.TMP";
}

bool IsProtectedDirectory(const std::string& directory) {
  const std::string dir = withoutTrailingSlash(NormalizePath(withoutTrailingSlash(directory), true));
  const std::string windows = withoutTrailingSlash(NormalizePath(systemPath(win::GetWindowsDirectory), true));
  const std::string system = withoutTrailingSlash(NormalizePath(systemPath(win::GetSystemDirectory), true));
  return isRoot(dir) || isSelfOrAncestor(dir, windows) || isSelfOrAncestor(dir, system);
}

void RemoveDirectoryTree(const std::string& directory, bool deleteFiles) {
  if (directory.size() < 4 || IsProtectedDirectory(directory)) return;
  const std::string dir = withoutTrailingSlash(NormalizePath(withoutTrailingSlash(directory), true));
  if (isLink(dir)) {
    if (deleteFiles) RemoveDir(dir);
    return;
  }
  win::WIN32_FIND_DATAA found{};
  win::HANDLE search = win::FindFirstFile((dir + "\\*.*").c_str(), &found);
  if (search != win::INVALID_HANDLE_VALUE) {
    do {
      const std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      const std::string path = dir + "\\" + name;
      const bool link = found.dwFileAttributes & win::FILE_ATTRIBUTE_REPARSE_POINT;
      if (found.dwFileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) {
        if (!link) RemoveDirectoryTree(path, deleteFiles);
        else if (deleteFiles) RemoveDir(path);
      } else if (deleteFiles) {
        SetFileAttrs(path, 0);
        DeleteOneFile(path);
      }
    } while (win::FindNextFile(search, &found));
    win::FindClose(search);
  }
  RemoveDir(dir);
}

}  // namespace remvex
