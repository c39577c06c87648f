// The profile calls: a read parses the file as it is; a write reads, edits and
// replaces it under the profile lock, and only when the edit changed something.
#include "win/profile.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "profile_file.h"
#include "profile_text.h"
#include "win/error.h"
#include "win/path.h"

namespace win {

namespace {

using profile::ProfileText;

constexpr const char* kWinIni = "WIN.INI";

BOOL fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// The file's text for a read: empty when it is missing or unreadable (the last error says why).
ProfileText loadForRead(LPCSTR fileName, bool* found) {
  auto file = profile::resolveProfile(fileName);
  auto text = file ? profile::readProfile(*file) : std::nullopt;
  *found = text.has_value();
  if (*found) SetLastError(ERROR_SUCCESS);
  return ProfileText(text.value_or(""));
}

// Copies text cut to size - 1 characters and a NUL; returns the characters copied.
DWORD copyText(std::string_view text, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  text.copy(buffer, n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

// Copies items as NUL-ended strings and one more NUL; a list that does not fit is cut to
// size - 2 characters and two NULs. Returns the characters copied without the final NUL.
DWORD copyList(const std::vector<std::string>& items, LPSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  std::string list;
  for (const auto& item : items) list.append(item).push_back('\0');
  if (list.empty()) list.push_back('\0');  // an empty list is two NULs too
  if (list.size() < size) {
    list.copy(buffer, list.size());
    buffer[list.size()] = '\0';
    return static_cast<DWORD>(items.empty() ? 0 : list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  list.copy(buffer, size - 2);
  buffer[size - 2] = buffer[size - 1] = '\0';
  return size - 2;
}

// A value in matching single or double quotes loses them.
std::string_view withoutQuotes(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) return v.substr(1, v.size() - 2);
  return v;
}

std::string_view withoutTrailingBlanks(std::string_view s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::vector<std::string> keyNames(const ProfileText& text, std::string_view section) {
  std::vector<std::string> names;
  for (const auto& e : text.entries(section).value_or(std::vector<profile::Entry>{}))
    if (std::none_of(names.begin(), names.end(), [&](const std::string& n) { return namesEqual(n, e.key); }))
      names.push_back(e.key);
  return names;
}

// Texts a file line could not give back: a line break anywhere, and the bytes that would
// change how the line reads.
bool isLineText(std::string_view s) { return s.find_first_of("\r\n") == std::string_view::npos; }
bool isSectionName(std::string_view s) { return isLineText(s) && s.find(']') == std::string_view::npos; }
bool isKeyName(std::string_view s) {
  auto first = s.find_first_not_of(" \t");
  return isLineText(s) && s.find('=') == std::string_view::npos && first != std::string_view::npos &&
         s[first] != ';' && s[first] != '[';
}

// Runs edit on the file's text under the profile lock and replaces the file when it changed.
BOOL changeProfile(LPCSTR fileName, const std::function<bool(ProfileText&)>& edit) {
  profile::ProfileLock lock;
  if (!lock.held()) return fail(ERROR_SHARING_VIOLATION);
  auto file = profile::resolveProfile(fileName);
  if (!file) return FALSE;
  std::string old;
  if (file->exists || file->isDirectory) {
    auto text = profile::readProfile(*file);
    if (!text) return FALSE;
    old = std::move(*text);
  }
  ProfileText text(old);
  if (edit(text) && !profile::replaceProfile(*file, text.content())) return FALSE;
  SetLastError(ERROR_SUCCESS);
  return TRUE;
}

}  // namespace

DWORD GetPrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                              DWORD nSize, LPCSTR lpFileName) {
  bool found = false;
  ProfileText text = loadForRead(lpFileName, &found);
  if (!lpAppName) return copyList(text.sectionNames(), lpReturnedString, nSize);
  if (!lpKeyName) return copyList(keyNames(text, lpAppName), lpReturnedString, nSize);
  if (auto value = text.value(lpAppName, lpKeyName)) return copyText(withoutQuotes(*value), lpReturnedString, nSize);
  if (found) SetLastError(ERROR_FILE_NOT_FOUND);
  return copyText(withoutTrailingBlanks(lpDefault ? lpDefault : ""), lpReturnedString, nSize);
}

UINT GetPrivateProfileInt(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  bool found = false;
  ProfileText text = loadForRead(lpFileName, &found);
  auto value = lpAppName && lpKeyName ? text.value(lpAppName, lpKeyName) : std::nullopt;
  if (!value) return static_cast<UINT>(nDefault);
  std::string_view digits = withoutQuotes(*value);
  bool negative = !digits.empty() && digits.front() == '-';
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  UINT n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') break;
    n = n * 10 + static_cast<UINT>(c - '0');
  }
  return negative ? 0u - n : n;
}

DWORD GetPrivateProfileSection(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  bool found = false;
  ProfileText text = loadForRead(lpFileName, &found);
  std::vector<std::string> lines;
  if (lpAppName)
    for (const auto& e : text.entries(lpAppName).value_or(std::vector<profile::Entry>{}))
      lines.push_back(e.key + "=" + e.value);
  return copyList(lines, lpReturnedString, nSize);
}

DWORD GetPrivateProfileSectionNames(LPSTR lpszReturnBuffer, DWORD nSize, LPCSTR lpFileName) {
  return GetPrivateProfileString(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}

BOOL WritePrivateProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  if (!lpAppName && !lpKeyName && !lpString) {  // flushes a cache there is none of
    SetLastError(ERROR_SUCCESS);
    return TRUE;
  }
  if (!lpAppName || !isSectionName(lpAppName) || (lpKeyName && !isKeyName(lpKeyName)) ||
      (lpString && !isLineText(lpString)))
    return fail(ERROR_INVALID_PARAMETER);
  return changeProfile(lpFileName, [&](ProfileText& text) {
    if (!lpKeyName) return text.eraseSection(lpAppName);
    if (!lpString) return text.eraseKey(lpAppName, lpKeyName);
    return text.setValue(lpAppName, lpKeyName, lpString);
  });
}

BOOL WritePrivateProfileSection(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
  if (!lpAppName || !isSectionName(lpAppName)) return fail(ERROR_INVALID_PARAMETER);
  std::vector<std::string> lines;
  for (const char* p = lpString; p && *p; p += std::strlen(p) + 1) {
    if (!isLineText(p)) return fail(ERROR_INVALID_PARAMETER);
    lines.emplace_back(p);
  }
  return changeProfile(lpFileName, [&](ProfileText& text) {
    return lpString ? text.replaceSection(lpAppName, lines) : text.eraseSection(lpAppName);
  });
}

DWORD GetProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString, DWORD nSize) {
  return GetPrivateProfileString(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, kWinIni);
}

UINT GetProfileInt(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault) {
  return GetPrivateProfileInt(lpAppName, lpKeyName, nDefault, kWinIni);
}

BOOL WriteProfileString(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString) {
  return WritePrivateProfileString(lpAppName, lpKeyName, lpString, kWinIni);
}

}  // namespace win
