// The listing LB_DIR and CB_DIR add: files matching the pattern, "[dir]" for
// directories (with "[..]" below a root) and "[-c-]" for the mapped drives,
// each group sorted without regard to case. Read through the host mapping.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "controls.h"
#include "platform/faults.h"
#include "win/machine.h"
#include "win/path.h"

namespace win {

namespace {

bool lessBlind(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto up = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    return static_cast<unsigned char>(up(x)) < static_cast<unsigned char>(up(y));
  });
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return s;
}

bool matches(const std::string& pattern, const std::string& name) {
  return pattern == "*.*" || pattern == "*" || platform::globMatch(pattern, name, true);
}

constexpr int kMaxEntries = 100000;

}  // namespace

bool directoryListing(UINT attributes, const char* pattern, std::vector<std::string>* lines) {
  std::vector<std::string> files, dirs, drives;
  bool exclusive = (attributes & DDL_EXCLUSIVE) != 0;
  bool wantFiles = !exclusive || (attributes & (DDL_READONLY | DDL_HIDDEN | DDL_SYSTEM | DDL_ARCHIVE));
  bool wantDirs = (attributes & DDL_DIRECTORY) != 0;
  if (wantFiles || wantDirs) {
    auto path = parsePath(pattern, kWildcardsInLast);
    if (!path) return false;
    std::string namePattern = path->name().empty() ? "*.*" : path->name();
    WinPath dir = path->name().empty() ? *path : path->parent();
    auto host = mapToHost(dir);
    if (!host || !host->exists()) return false;
    if (wantDirs && !dir.parts.empty()) dirs.push_back("[..]");
    if (DIR* d = ::opendir(host->host.c_str())) {
      int seen = 0;
      while (dirent* e = ::readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == ".." || !isValidWindowsName(name) || ++seen > kMaxEntries) continue;
        struct stat st {};
        if (::stat((host->host + "/" + name).c_str(), &st) != 0) continue;
        if (S_ISDIR(st.st_mode)) {
          if (wantDirs) dirs.push_back("[" + name + "]");
        } else if (wantFiles && matches(namePattern, name)) {
          files.push_back(name);
        }
      }
      ::closedir(d);
    }
  }
  if (attributes & DDL_DRIVES)
    for (const auto& drive : machine().description().drives)
      if (drive.name.size() == 1) drives.push_back("[-" + lower(drive.name) + "-]");
  std::sort(files.begin(), files.end(), lessBlind);
  std::sort(dirs.begin() + (dirs.empty() || dirs[0] != "[..]" ? 0 : 1), dirs.end(), lessBlind);
  std::sort(drives.begin(), drives.end());
  for (auto* group : {&files, &dirs, &drives}) lines->insert(lines->end(), group->begin(), group->end());
  return true;
}

}  // namespace win
