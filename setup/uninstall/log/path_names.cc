#include "log/path_names.h"

#include <cctype>
#include <vector>

#include "win/files.h"
#include "win/system.h"

namespace remvex {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string fullPath(const std::string& path) {
  std::vector<char> buffer(1024);
  win::DWORD n = win::GetFullPathName(path.c_str(), static_cast<win::DWORD>(buffer.size()), buffer.data(), nullptr);
  if (n == 0 || n >= buffer.size()) return path;
  return std::string(buffer.data(), n);
}

}  // namespace

std::string NormalizePath(const std::string& path, bool longNames) {
  if (path.empty()) return path;
  std::string full = fullPath(path);
  std::vector<char> buffer(1024);
  win::DWORD n = longNames
                     ? win::GetLongPathName(full.c_str(), buffer.data(), static_cast<win::DWORD>(buffer.size()))
                     : win::GetShortPathName(full.c_str(), buffer.data(), static_cast<win::DWORD>(buffer.size()));
  if (n > 0 && n < buffer.size()) full.assign(buffer.data(), n);
  if (full.size() >= 2 && full[1] == ':') full[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(full[0])));
  return full;
}

bool EndsWithBackslash(const std::string& text) {
  std::size_t last = std::string::npos;
  for (std::size_t i = 0; i < text.size(); ++i) {
    last = i;
    if (win::IsDBCSLeadByte(static_cast<win::BYTE>(text[i])) && i + 1 < text.size()) ++i;
  }
  return last != std::string::npos && last == text.size() - 1 && text[last] == '\\';
}

std::string WindowsDirectoryFile(const std::string& name) {
  char buffer[win::MAX_PATH] = {};
  win::UINT n = win::GetWindowsDirectory(buffer, sizeof buffer);
  std::string path(buffer, n < sizeof buffer ? n : 0);
  if (!EndsWithBackslash(path)) path += '\\';
  return path + name;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool StartsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && EqualNoCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace remvex
