// Windows path parsing, formatting and comparison. Relative forms resolve
// against a current directory; "." is dropped, ".." stops at the root, and
// names are trimmed of final dots and blanks the way Windows trims them.
#include "win/path.h"

#include "win/error.h"
#include "win/machine.h"

namespace win {

namespace {

constexpr std::size_t kMaxNameLength = 255;

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool isWildcard(char c) { return c == '*' || c == '?'; }

// Bytes no Windows name may hold (wildcards aside).
bool isForbidden(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u < 32 || c == '\\' || c == '/' || c == ':' || c == '"' || c == '<' || c == '>' || c == '|';
}

std::vector<std::string_view> splitComponents(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && isSeparator(text[i])) ++i;
    std::size_t start = i;
    while (i < text.size() && !isSeparator(text[i])) ++i;
    if (i > start) out.push_back(text.substr(start, i - start));
  }
  return out;
}

// Windows drops one final '.' of a name, and every final '.' and blank of the last one.
std::string trimName(std::string_view name, bool last) {
  std::string n(name);
  if (last) {
    while (!n.empty() && (n.back() == '.' || n.back() == ' ')) n.pop_back();
  } else if (n.size() >= 2 && n.back() == '.' && n[n.size() - 2] != '.') {
    n.pop_back();
  }
  return n;
}

// Applies the components of text to parts: ".", "..", trimming, validation.
bool applyComponents(std::string_view text, bool endsWithSeparator, unsigned flags,
                     std::vector<std::string>& parts, DWORD* error) {
  auto components = splitComponents(text);
  for (std::size_t i = 0; i < components.size(); ++i) {
    std::string_view c = components[i];
    bool last = i + 1 == components.size() && !endsWithSeparator;
    if (c == ".") continue;
    if (c == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    bool wildcardOk = last && (flags & kWildcardsInLast);
    bool isPattern = wildcardOk && c.find_first_of("*?") != std::string_view::npos;
    std::string name = isPattern ? std::string(c) : trimName(c, last);  // "*." keeps its meaning
    if (name.empty()) continue;
    for (char ch : name) {
      if (isForbidden(ch) || (isWildcard(ch) && !wildcardOk)) {
        *error = ERROR_INVALID_NAME;
        return false;
      }
    }
    if (name.size() > kMaxNameLength) {
      *error = ERROR_FILENAME_EXCED_RANGE;
      return false;
    }
    parts.push_back(std::move(name));
  }
  return true;
}

// Splits "\\server\share\rest" into its root and the rest.
bool parseUncRoot(std::string_view text, WinPath& path, std::string_view& rest, DWORD* error) {
  std::size_t i = 2;
  std::size_t serverEnd = i;
  while (serverEnd < text.size() && !isSeparator(text[serverEnd])) ++serverEnd;
  std::size_t shareStart = serverEnd + 1;
  std::size_t shareEnd = shareStart;
  while (shareEnd < text.size() && !isSeparator(text[shareEnd])) ++shareEnd;
  path.server = std::string(text.substr(i, serverEnd - i));
  path.share = shareStart < text.size() ? std::string(text.substr(shareStart, shareEnd - shareStart)) : "";
  if (path.server.empty() || path.share.empty() || path.server == "." || path.server == "?") {
    *error = ERROR_BAD_PATHNAME;
    return false;
  }
  for (const std::string* s : {&path.server, &path.share})
    for (char ch : *s)
      if (isForbidden(ch) || isWildcard(ch)) {
        *error = ERROR_INVALID_NAME;
        return false;
      }
  rest = shareEnd < text.size() ? text.substr(shareEnd) : std::string_view();
  return true;
}

// The root to resolve a relative form against (the root of the current directory for "\x").
bool relativeBase(const WinPath* currentDir, DWORD* error, WinPath& base) {
  if (!currentDir) {
    *error = ERROR_PATH_NOT_FOUND;
    return false;
  }
  base = *currentDir;
  base.trailingSeparator = false;
  return true;
}

}  // namespace

std::string WinPath::root() const {
  if (isUnc()) return "\\\\" + server + "\\" + share;
  return std::string(1, drive) + ":";
}

std::string WinPath::text() const {
  std::string t = root();
  if (parts.empty()) return t + "\\";
  for (const auto& p : parts) t += "\\" + p;
  if (trailingSeparator) t += "\\";
  return t;
}

std::string WinPath::name() const { return parts.empty() ? std::string() : parts.back(); }

WinPath WinPath::parent() const {
  WinPath p = *this;
  if (!p.parts.empty()) p.parts.pop_back();
  p.trailingSeparator = false;
  return p;
}

WinPath WinPath::child(std::string_view name) const {
  WinPath p = *this;
  p.parts.emplace_back(name);
  p.trailingSeparator = false;
  return p;
}

std::optional<WinPath> parsePathFrom(std::string_view text, const WinPath* currentDir, unsigned flags,
                                     DWORD* error) {
  if (text.empty()) {
    *error = ERROR_PATH_NOT_FOUND;
    return std::nullopt;
  }
  if (text.size() >= MAX_PATH) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return std::nullopt;
  }
  if (text.find('\0') != std::string_view::npos) {
    *error = ERROR_INVALID_NAME;
    return std::nullopt;
  }
  WinPath path;
  std::string_view rest;
  if (text.size() >= 2 && isSeparator(text[0]) && isSeparator(text[1])) {
    if (!parseUncRoot(text, path, rest, error)) return std::nullopt;
  } else if (text.size() >= 2 && isLetter(text[0]) && text[1] == ':') {
    path.drive = upper(text[0]);
    rest = text.substr(2);
    bool sameDrive = currentDir && !currentDir->isUnc() && currentDir->drive == path.drive;
    if ((rest.empty() || !isSeparator(rest[0])) && sameDrive) path.parts = currentDir->parts;
  } else {
    if (!relativeBase(currentDir, error, path)) return std::nullopt;
    rest = text;
    if (isSeparator(text[0])) path.parts.clear();
  }
  bool endsWithSeparator = isSeparator(text.back());
  if (!applyComponents(rest, endsWithSeparator, flags, path.parts, error)) return std::nullopt;
  path.trailingSeparator = endsWithSeparator && !path.parts.empty();
  if (path.text().size() >= MAX_PATH) {
    *error = ERROR_FILENAME_EXCED_RANGE;
    return std::nullopt;
  }
  return path;
}

std::optional<WinPath> parsePath(std::string_view text, unsigned flags) {
  WinPath cwd = machine().currentDirectory();
  DWORD error = ERROR_SUCCESS;
  auto path = parsePathFrom(text, &cwd, flags, &error);
  if (!path) SetLastError(error);
  return path;
}

bool namesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper(a[i]) != upper(b[i])) return false;
  return true;
}

bool pathsEqual(const WinPath& a, const WinPath& b) {
  if (a.drive != b.drive || a.parts.size() != b.parts.size()) return false;
  if (a.isUnc() && !(namesEqual(a.server, b.server) && namesEqual(a.share, b.share))) return false;
  for (std::size_t i = 0; i < a.parts.size(); ++i)
    if (!namesEqual(a.parts[i], b.parts[i])) return false;
  return true;
}

bool isValidWindowsName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) return false;
  if (name.back() == '.' || name.back() == ' ') return false;
  for (char c : name)
    if (isForbidden(c) || isWildcard(c)) return false;
  return true;
}

}  // namespace win
