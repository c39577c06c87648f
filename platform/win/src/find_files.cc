// Directory listings: FindFirstFile, FindNextFile, FindClose. A search reads
// its directory once, in Windows name order, with "." and ".." below a root;
// host names no Windows name can be are left out and links are reparse points.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <bitset>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "attribute_store.h"
#include "file_access.h"
#include "platform/paths.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

struct FoundEntry {
  std::string name;
  DWORD attributes = 0;
  struct stat st{};
};

class FindObject : public HandleObject {
 public:
  explicit FindObject(std::vector<FoundEntry> entries) : entries_(std::move(entries)) {}

  // The next entry; false after the last.
  bool next(FoundEntry& out) {
    std::lock_guard lock(mutex_);
    if (next_ >= entries_.size()) return false;
    out = entries_[next_++];
    return true;
  }

 private:
  std::mutex mutex_;
  std::vector<FoundEntry> entries_;
  std::size_t next_ = 0;
};

// Wildcard pattern steps, with the meanings Windows gives "*" before a dot, "?" and a dot.
enum class Step { Literal, Star, StarToLastDot, OneOrNone, DotOrEnd };

struct PatternStep {
  Step step;
  char c;
};

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

std::vector<PatternStep> compile(std::string_view pattern) {
  if (pattern == "*.*") pattern = "*";
  std::vector<PatternStep> steps;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    char c = pattern[i];
    char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '*')
      steps.push_back({next == '.' ? Step::StarToLastDot : Step::Star, c});
    else if (c == '?')
      steps.push_back({Step::OneOrNone, c});
    else if (c == '.' && (next == '\0' || next == '*' || next == '?'))
      steps.push_back({Step::DotOrEnd, c});
    else
      steps.push_back({Step::Literal, upper(c)});
  }
  return steps;
}

// Matches a name (at most 255 characters) by moving the set of reachable positions step by step.
bool matches(const std::vector<PatternStep>& steps, std::string_view name) {
  constexpr std::size_t kMax = 256;
  std::size_t n = std::min(name.size(), kMax - 1);
  std::size_t lastDot = name.rfind('.');
  std::bitset<kMax> at;
  at[0] = true;
  for (const auto& s : steps) {
    std::bitset<kMax> to;
    for (std::size_t i = 0; i <= n; ++i) {
      if (!at[i]) continue;
      bool end = i == n;
      switch (s.step) {
        case Step::Literal:
          if (!end && upper(name[i]) == s.c) to[i + 1] = true;
          break;
        case Step::Star:
          for (std::size_t j = i; j <= n; ++j) to[j] = true;
          break;
        case Step::StarToLastDot: {
          std::size_t stop = lastDot == std::string_view::npos || lastDot < i ? n : lastDot;
          for (std::size_t j = i; j <= stop; ++j) to[j] = true;
          break;
        }
        case Step::OneOrNone:
          to[(end || name[i] == '.') ? i : i + 1] = true;
          break;
        case Step::DotOrEnd:
          if (end)
            to[i] = true;
          else if (name[i] == '.')
            to[i + 1] = true;
          break;
      }
    }
    at = to;
  }
  return at[n];
}

// An entry; a link is looked through only when the path model lets its Windows path in.
FoundEntry entryOf(const WinPath& dir, const std::string& name, const std::string& host,
                   const std::map<std::string, DWORD>& stored) {
  FoundEntry e;
  e.name = name;
  struct stat link{};
  ::lstat(host.c_str(), &link);
  bool isLink = S_ISLNK(link.st_mode);
  bool follow = isLink && mapToHost(dir.child(name)).has_value();
  if (!follow || ::stat(host.c_str(), &e.st) != 0) e.st = link;
  auto it = stored.find(host);
  e.attributes =
      files::attributesFrom(e.st, isLink, it == stored.end() ? std::nullopt : std::optional<DWORD>(it->second));
  return e;
}

bool windowsOrder(const FoundEntry& a, const FoundEntry& b) {
  bool dotsA = a.name == "." || a.name == "..";
  bool dotsB = b.name == "." || b.name == "..";
  if (dotsA != dotsB) return dotsA;
  std::string ua = a.name, ub = b.name;
  for (char& c : ua) c = upper(c);
  for (char& c : ub) c = upper(c);
  return ua != ub ? ua < ub : a.name < b.name;
}

// The visible entries of a host directory matching the pattern, in order.
std::vector<FoundEntry> list(const WinPath& windowsDir, const std::string& dir,
                             const std::vector<PatternStep>& pattern) {
  std::vector<FoundEntry> out;
  auto stored = attributes::all();
  if (!windowsDir.parts.empty())
    for (const char* dots : {".", ".."})
      if (matches(pattern, dots)) out.push_back(entryOf(windowsDir, dots, platform::joinPath(dir, dots), stored));
  DIR* d = ::opendir(dir.c_str());
  if (!d) return out;
  while (dirent* e = ::readdir(d)) {
    std::string_view name = e->d_name;
    if (name == "." || name == ".." || !isValidWindowsName(name) || !matches(pattern, name)) continue;
    out.push_back(entryOf(windowsDir, std::string(name), platform::joinPath(dir, std::string(name)), stored));
  }
  ::closedir(d);
  std::sort(out.begin(), out.end(), windowsOrder);
  return out;
}

void fill(const FoundEntry& e, LPWIN32_FIND_DATAA data) {
  std::memset(data, 0, sizeof *data);
  data->dwFileAttributes = e.attributes;
  data->ftCreationTime = files::fileTimeFromTimespec(e.st.st_mtim);
  data->ftLastAccessTime = files::fileTimeFromTimespec(e.st.st_atim);
  data->ftLastWriteTime = files::fileTimeFromTimespec(e.st.st_mtim);
  auto size = S_ISDIR(e.st.st_mode) ? 0 : static_cast<std::uint64_t>(e.st.st_size);
  data->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(size);
  e.name.copy(data->cFileName, sizeof data->cFileName - 1);
}

HandleTable& findHandles() { return machine().state<files::FilesState>().findHandles; }

}  // namespace

HANDLE FindFirstFile(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  if (!lpFileName || !lpFindFileData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  auto pattern = parsePath(lpFileName, kWildcardsInLast);
  if (!pattern) return INVALID_HANDLE_VALUE;
  if (pattern->parts.empty() || pattern->trailingSeparator) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  WinPath dir = pattern->parent();
  auto mapped = mapToHost(dir);
  if (!mapped) return INVALID_HANDLE_VALUE;
  struct stat st{};
  if (!mapped->exists() || ::stat(mapped->host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  auto found = std::make_shared<FindObject>(list(dir, mapped->host, compile(pattern->name())));
  FoundEntry first;
  if (!found->next(first)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  fill(first, lpFindFileData);
  SetLastError(ERROR_SUCCESS);
  return handleFromValue<HANDLE>(findHandles().add(std::move(found)));
}

BOOL FindNextFile(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  auto found = findHandles().find<FindObject>(handleValue(hFindFile));
  if (!found) return files::fail(ERROR_INVALID_HANDLE);
  if (!lpFindFileData) return files::fail(ERROR_INVALID_PARAMETER);
  FoundEntry e;
  if (!found->next(e)) return files::fail(ERROR_NO_MORE_FILES);
  fill(e, lpFindFileData);
  return TRUE;
}

BOOL FindClose(HANDLE hFindFile) {
  if (!findHandles().remove(handleValue(hFindFile))) return files::fail(ERROR_INVALID_HANDLE);
  return TRUE;
}

}  // namespace win
