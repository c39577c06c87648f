// DeleteFiles: each level lists its matches and subdirectories whole before it
// changes anything, then deletes (or sets attributes) and goes down.
#include "files/delete_files.h"

#include <optional>
#include <string>
#include <vector>

#include "constants.h"
#include "files/copy_file_to.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "script/variables.h"
#include "text/path_text.h"
#include "win/path.h"

namespace merl {

namespace {

inline constexpr DWORD kSearchAll = 7;  // read-only, hidden and system entries included

struct Entry {
  std::string name;
  DWORD attributes;
};

bool isDirectory(DWORD attributes) { return (attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool isLink(DWORD attributes) { return (attributes & win::FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// The entries pattern finds whose names can be Windows names ("." and ".." left out).
std::vector<Entry> listing(const std::string& pattern) {
  std::vector<Entry> entries;
  FindRecord found;
  for (int r = FindFirst(pattern.c_str(), kSearchAll, found); r == kFound; r = FindNext(found)) {
    std::string name = found.name;
    if (name == "." || name == ".." || !win::isValidWindowsName(name)) continue;
    entries.push_back({name, found.attributes});
  }
  FindEnd(found);
  return entries;
}

std::optional<std::string> joined(const std::string& directory, std::string_view name) {
  std::string path = directory;
  if (path.empty() || path.back() != '\\') path += '\\';
  path += name;
  if (path.size() >= static_cast<std::size_t>(kPathBufferSize)) return std::nullopt;
  return path;
}

void deleteFile(const std::string& path, const Entry& entry, bool withBackup) {
  if (withBackup && CopyFileTo(path.c_str(), nullptr, nullptr, 0, false, nullptr, nullptr) != kCopyDone) return;
  if (!isLink(entry.attributes)) win::SetFileAttributes(path.c_str(), win::FILE_ATTRIBUTE_NORMAL);
  win::DeleteFile(path.c_str());
}

DWORD attributesFor(int flags) {
  DWORD attributes = (flags & kClearArchive) ? 0 : win::FILE_ATTRIBUTE_ARCHIVE;
  if (flags & kSetReadOnly) attributes |= win::FILE_ATTRIBUTE_READONLY;
  if (flags & kSetHidden) attributes |= win::FILE_ATTRIBUTE_HIDDEN;
  if (flags & kSetSystem) attributes |= win::FILE_ATTRIBUTE_SYSTEM;
  return attributes ? attributes : win::FILE_ATTRIBUTE_NORMAL;
}

void changeMatches(const std::string& directory, const std::string& filePattern, int flags, int mode) {
  std::optional<std::string> pattern = joined(directory, filePattern);
  if (!pattern) return;
  bool withBackup = mode == kDeleteMode && FindBackupDirVar() >= 0;
  for (const Entry& entry : listing(*pattern)) {
    std::optional<std::string> path = joined(directory, entry.name);
    if (!path) continue;
    if (mode == kDeleteMode) {
      if (!isDirectory(entry.attributes)) deleteFile(*path, entry, withBackup);
    } else if (entry.name[0] != '.' && !isLink(entry.attributes)) {
      win::SetFileAttributes(path->c_str(), attributesFor(flags));
    }
  }
}

void changeLevel(const std::string& directory, const std::string& filePattern, int flags, int mode, int depth) {
  changeMatches(directory, filePattern, flags, mode);
  if (!(flags & kDeleteRecurse) || depth >= kDeleteDepthLimit) return;
  std::optional<std::string> all = joined(directory, "*.*");
  if (!all) return;
  for (const Entry& entry : listing(*all)) {
    if (!isDirectory(entry.attributes) || isLink(entry.attributes) || entry.name[0] == '.') continue;
    std::optional<std::string> sub = joined(directory, entry.name);
    if (!sub || !joined(*sub, filePattern)) continue;
    changeLevel(*sub, filePattern, flags, mode, depth + 1);
    if (mode == kDeleteMode && (flags & kDeleteRemoveEmptied)) win::RemoveDirectory(sub->c_str());
  }
}

bool isRoot(const std::string& directory) {
  std::string root = pathRoot(directory + '\\');
  return root.empty() || root.size() >= directory.size() || (directory.size() == 2 && directory[1] == ':');
}

}  // namespace

std::string patternDirectory(std::string_view pattern) {
  std::size_t cut = lastBackslash(pattern);
  if (cut == std::string_view::npos) return {};
  std::string directory(pattern.substr(0, cut));
  if (directory.empty() || (directory.size() == 2 && directory[1] == ':')) directory += '\\';
  std::optional<std::string> full = fullPathName(directory);
  if (!full) return {};
  if (full->size() > pathRoot(*full).size() && full->back() == '\\') full->pop_back();
  return *full;
}

bool deletesNothingIn(std::string_view pattern) {
  std::string directory = patternDirectory(pattern);
  return directory.empty() || isRoot(directory);
}

void DeleteFiles(std::string_view pattern, int flags, int mode) {
  if (mode != kDeleteMode && mode != kAttributeMode) return;
  std::string directory = patternDirectory(pattern);
  if (directory.empty() || (mode == kDeleteMode && isRoot(directory))) return;
  std::string filePattern(pattern.substr(lastBackslash(pattern) + 1));
  if (filePattern.empty()) return;
  changeLevel(directory, filePattern, flags, mode, 0);
}

}  // namespace merl
