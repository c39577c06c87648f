// Depth-first removal of a directory tree: each directory is listed whole
// before anything in it goes, links are removed without being followed, and
// a root is never removed.
#include "files/remove_tree.h"

#include <optional>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "files/paths.h"
#include "text/dbcs.h"
#include "text/path_text.h"
#include "win/files.h"

namespace merl {

namespace {

struct Entry {
  std::string name;
  DWORD attributes;
};

bool isLink(DWORD attributes) { return attributes & win::FILE_ATTRIBUTE_REPARSE_POINT; }
bool isDirectory(DWORD attributes) { return attributes & win::FILE_ATTRIBUTE_DIRECTORY; }

std::vector<Entry> listing(const std::string& directory) {
  std::vector<Entry> entries;
  FindRecord find;
  for (int r = FindFirst((directory + "\\*.*").c_str(), 0, find); r == kFound; r = FindNext(find)) {
    std::string name = find.name;
    if (name != "." && name != "..") entries.push_back({name, find.attributes});
  }
  FindEnd(find);
  return entries;
}

void removeEntry(const std::string& path, const Entry& entry, bool withFiles);

void removeTree(const std::string& directory, bool withFiles) {
  for (const Entry& entry : listing(directory)) {
    std::string path = directory + "\\" + entry.name;
    if (path.size() < static_cast<std::size_t>(kPathBufferSize)) removeEntry(path, entry, withFiles);
  }
  win::RemoveDirectory(directory.c_str());
}

void removeEntry(const std::string& path, const Entry& entry, bool withFiles) {
  if (isDirectory(entry.attributes)) {
    if (isLink(entry.attributes))
      win::RemoveDirectory(path.c_str());
    else
      removeTree(path, withFiles);
    return;
  }
  if (!withFiles) return;
  if (!isLink(entry.attributes)) win::SetFileAttributes(path.c_str(), win::FILE_ATTRIBUTE_NORMAL);
  win::DeleteFile(path.c_str());
}

}  // namespace

bool RemoveDirTree(const char* directory, bool withFiles) {
  std::optional<std::string> full = directory ? fullPathName(directory) : std::nullopt;
  if (!full) return false;
  const std::string root = pathRoot(*full);
  if (full->size() > root.size() && full->back() == '\\' && DbcsByteKind(*full, -1) != kTrailByte) full->pop_back();
  if (root.empty() || full->size() <= root.size()) return false;  // a root, never removed
  DWORD attributes = win::GetFileAttributes(full->c_str());
  if (attributes == win::INVALID_FILE_ATTRIBUTES || !isDirectory(attributes)) return false;
  removeEntry(*full, Entry{*full, attributes}, withFiles);
  return win::GetFileAttributes(full->c_str()) == win::INVALID_FILE_ATTRIBUTES;
}

}  // namespace merl
