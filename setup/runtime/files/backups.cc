// MakeBackupName: the backup directory joined with the file's name, then the
// first free number in place of the extension.
#include "files/backups.h"

#include <cstdio>
#include <string>

#include "files/file_utils.h"
#include "files/paths.h"
#include "script/variables.h"
#include "text/dbcs.h"
#include "text/path_text.h"

namespace merl {

namespace {

// Where the extension of path's file name starts (its '.'), or the path's end for none.
std::size_t extensionAt(std::string_view path) {
  std::size_t slash = lastBackslash(path);
  std::size_t from = slash == std::string_view::npos ? 0 : slash + 1;
  std::size_t dot = path.size();
  for (std::size_t at = from; at < path.size(); at += charLengthAt(path, at))
    if (path[at] == '.') dot = at;
  return dot;
}

}  // namespace

bool MakeBackupName(char* out, const char* source) {
  char directory[kPathBufferSize];
  GetVar("BACKUPDIR", directory, sizeof directory);
  out[0] = '\0';
  if (!directory[0] || !JoinPath(out, directory, PathFileName(source))) return false;
  if (CheckFileExists(out) != 0) return true;
  std::string stem(out, extensionAt(out));
  for (int number = 1; number <= kLastBackupNumber; ++number) {
    char suffix[8];
    std::snprintf(suffix, sizeof suffix, ".%03d", number);
    if (!JoinPath(out, "", stem + suffix)) return false;
    if (number == kLastBackupNumber || CheckFileExists(out) != 0) break;
  }
  return true;
}

}  // namespace merl
