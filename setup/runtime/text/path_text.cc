// Path texts in place, stepping by characters of the ANSI code page so that
// the second byte of a double-byte character is never taken for a backslash.
#include "text/path_text.h"

#include <cstring>

#include "text/dbcs.h"
#include "win/system.h"

namespace merl {

std::size_t lastBackslash(std::string_view path) {
  std::size_t found = std::string_view::npos;
  for (std::size_t at = 0; at < path.size(); at += charLengthAt(path, at))
    if (path[at] == '\\') found = at;
  return found;
}

namespace {

// The position of the first backslash of path at or after from (npos for none), skipping trail bytes.
std::size_t backslashFrom(std::string_view path, std::size_t from) {
  for (std::size_t at = from; at < path.size(); at += charLengthAt(path, at))
    if (path[at] == '\\') return at;
  return std::string_view::npos;
}

}  // namespace

std::string pathRoot(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':' && ((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z'))
    return std::string(path.substr(0, 2)) + "\\";
  if (path.size() < 3 || path[0] != '\\' || path[1] != '\\') return "";
  std::size_t afterServer = backslashFrom(path, 2);
  if (afterServer == std::string_view::npos || afterServer == 2 || afterServer + 1 == path.size()) return "";
  std::size_t afterShare = backslashFrom(path, afterServer + 1);
  if (afterShare == afterServer + 1) return "";
  if (afterShare == std::string_view::npos) return std::string(path) + "\\";
  return std::string(path.substr(0, afterShare + 1));
}

const char* PathFileName(const char* path) {
  std::size_t at = lastBackslash(path);
  return at == std::string_view::npos ? path : path + at + 1;
}

char* CutFileName(char* path) {
  if (!path || !*path) return nullptr;
  std::size_t at = lastBackslash(path);
  if (at == std::string_view::npos) at = 0;
  path[at] = '\0';
  return path + at;
}

const char* SkipString(const char* text) { return text + std::strlen(text) + 1; }

const char* LastCharOf(const char* text) {
  const char* last = text;
  for (const char* at = text; *at; at = win::CharNext(at)) last = at;
  return last;
}

void cutTrailingBackslash(char* text) {
  std::size_t length = std::strlen(text);
  if (length > 0 && text[length - 1] == '\\' && DbcsByteKind(text, -1) != kTrailByte) text[length - 1] = '\0';
}

}  // namespace merl
