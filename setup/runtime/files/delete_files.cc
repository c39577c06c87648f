#include "files/delete_files.h"

#include <string>

#include "files/file_utils.h"
#include "text/path_text.h"

namespace merl {

namespace {

inline constexpr DWORD kSearchAll = 7;  // read-only, hidden and system entries included

std::string directoryOf(std::string_view pattern) {
  std::size_t cut = lastBackslash(pattern);
  return cut == std::string_view::npos ? std::string() : std::string(pattern.substr(0, cut));
}

bool isDirectory(const FindRecord& r) { return (r.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0; }

void deleteMatches(const std::string& directory, std::string_view pattern) {
  FindRecord found;
  std::string search(pattern);
  for (int r = FindFirst(search.c_str(), kSearchAll, found); r == kFound; r = FindNext(found)) {
    if (isDirectory(found)) continue;
    std::string path = directory + '\\' + found.name;
    if (path.size() >= kPathBufferSize) continue;
    win::SetFileAttributes(path.c_str(), win::FILE_ATTRIBUTE_NORMAL);
    win::DeleteFile(path.c_str());
  }
  FindEnd(found);
}

void recurse(const std::string& directory, std::string_view filePattern, int flags, int mode) {
  FindRecord found;
  std::string all = directory + "\\*.*";
  for (int r = FindFirst(all.c_str(), kSearchAll | win::FILE_ATTRIBUTE_DIRECTORY, found); r == kFound;
       r = FindNext(found)) {
    if (!isDirectory(found) || found.name[0] == '.') continue;
    std::string sub = directory + '\\' + found.name;
    std::string pattern = sub + '\\' + std::string(filePattern);
    if (pattern.size() >= kPathBufferSize) continue;
    DeleteFiles(pattern, flags, mode);
    if (mode == kDeleteMode && (flags & kDeleteRemoveEmptied)) win::RemoveDirectory(sub.c_str());
  }
  FindEnd(found);
}

}  // namespace

bool deletesNothingIn(std::string_view pattern) {
  std::string directory = directoryOf(pattern);
  if (directory.empty()) return true;
  std::string root = pathRoot(directory + '\\');
  if (!root.empty() && root.size() >= directory.size()) return true;
  // "X:" with nothing after it
  return directory.size() == 2 && directory[1] == ':';
}

void DeleteFiles(std::string_view pattern, int flags, int mode) {
  if (mode != kDeleteMode || deletesNothingIn(pattern)) return;
  std::string directory = directoryOf(pattern);
  deleteMatches(directory, pattern);
  if (flags & kDeleteRecurse) recurse(directory, pattern.substr(lastBackslash(pattern) + 1), flags, mode);
}

}  // namespace merl
