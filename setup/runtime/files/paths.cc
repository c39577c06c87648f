// Absolute path forms on the machine's long-name lookup, directory levels
// created one by one (each one really made is logged), and the current directory.
#include "files/paths.h"

#include <cstring>

#include "constants.h"
#include "files/file_utils.h"
#include "log/log_sink.h"
#include "text/copy_text.h"
#include "text/dbcs.h"
#include "text/message_format.h"
#include "text/path_text.h"
#include "win/error.h"
#include "win/files.h"
#include "win/path.h"

namespace merl {

namespace {

constexpr std::size_t kMaxPathLength = kPathBufferSize - 1;
constexpr char kMadeDirLine[] = "Made Dir: %s";

bool isBareDrive(std::string_view path) {
  return path.size() == 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z');
}

bool isDirectory(const std::string& path) {
  DWORD attributes = win::GetFileAttributes(path.c_str());
  return attributes != win::INVALID_FILE_ATTRIBUTES && (attributes & win::FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::optional<std::string> fullPathName(std::string_view path) {
  std::string text(path.substr(0, path.find('\0')));
  if (text.empty()) return std::nullopt;
  char full[win::MAX_PATH];
  DWORD n = win::GetFullPathName(text.c_str(), sizeof full, full, nullptr);
  if (n == 0 || n > kMaxPathLength) return std::nullopt;
  return std::string(full, n);
}

bool MakeFullPath(char* path, bool /*longForm*/) {
  std::string_view text(path, ::strnlen(path, kPathBufferSize));
  if (isBareDrive(text)) return true;
  if (text.empty() || text.size() > kMaxPathLength) return false;
  std::optional<std::string> full = win::longPathName(text);
  if (!full || full->size() > kMaxPathLength) return false;
  copyText(path, kPathBufferSize, *full);
  return true;
}

bool MakeDirectoryPath(const char* path) {
  std::optional<std::string> full = fullPathName(path);
  if (!full) return false;
  const std::string root = pathRoot(*full);
  if (root.empty()) return false;
  const std::size_t last = lastBackslash(*full);
  if (last == std::string::npos || last < root.size()) return true;  // a file at the root
  for (std::size_t at = root.size(); at <= last; at += charLengthAt(*full, at)) {
    if ((*full)[at] != '\\') continue;
    std::string level = full->substr(0, at);
    if (win::CreateDirectory(level.c_str(), nullptr)) LogMadeDir(level);
  }
  return isDirectory(full->substr(0, last));
}

void LogMadeDir(std::string_view directory) {
  char line[kLogLineSize];
  formatScriptMessage(line, sizeof line, kMadeDirLine, {directory});
  writeLogLine(line);
}

bool SetCurrentDir(const char* path) {
  if (std::strlen(path) > kMaxPathLength) return false;
  char full[kPathBufferSize];
  copyText(full, sizeof full, path);
  return MakeFullPath(full, false) && win::SetCurrentDirectory(full);
}

bool JoinPath(char* out, std::string_view directory, std::string_view name) {
  directory = directory.substr(0, directory.find('\0'));
  name = name.substr(0, name.find('\0'));
  std::string joined(directory);
  if (!joined.empty() && *LastCharOf(joined.c_str()) != '\\') joined += '\\';
  joined += name;
  out[0] = '\0';
  if (joined.size() > kMaxPathLength) return false;
  copyText(out, kPathBufferSize, joined);
  return true;
}

}  // namespace merl
