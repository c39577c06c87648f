// The listing LB_DIR and CB_DIR add, read through the files layer: the files
// matching the pattern, "[dir]" for directories (with "[..]" below a root) and
// "[-c-]" for the mapped drives, each group sorted without regard to case.
// Hidden and system files show only when the attributes ask for them.
#include <algorithm>

#include "controls.h"
#include "win/error.h"
#include "win/files.h"
#include "win/machine.h"

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

constexpr int kMaxEntries = 100000;

// A file entry the attributes let through.
bool fileWanted(DWORD fileAttributes, UINT attributes) {
  if ((fileAttributes & FILE_ATTRIBUTE_HIDDEN) && !(attributes & DDL_HIDDEN)) return false;
  if ((fileAttributes & FILE_ATTRIBUTE_SYSTEM) && !(attributes & DDL_SYSTEM)) return false;
  if (!(attributes & DDL_EXCLUSIVE)) return true;  // read/write files are listed unless exclusive
  return (attributes & (DDL_READONLY | DDL_HIDDEN | DDL_SYSTEM | DDL_ARCHIVE)) != 0;
}

bool listEntries(UINT attributes, const char* pattern, std::vector<std::string>& files,
                 std::vector<std::string>& dirs) {
  WIN32_FIND_DATAA data{};
  HANDLE find = FindFirstFile(pattern, &data);
  if (find == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;  // nothing matches
  int seen = 0;
  do {
    std::string name = data.cFileName;
    bool dir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (name == "." || ++seen > kMaxEntries) continue;
    if (dir && (attributes & DDL_DIRECTORY)) dirs.push_back("[" + name + "]");
    else if (!dir && fileWanted(data.dwFileAttributes, attributes)) files.push_back(name);
  } while (FindNextFile(find, &data));
  FindClose(find);
  return true;
}

}  // namespace

bool directoryListing(UINT attributes, const char* pattern, std::vector<std::string>* lines) {
  std::vector<std::string> files, dirs, drives;
  bool onlyDrives = (attributes & DDL_EXCLUSIVE) && !(attributes & ~(DDL_EXCLUSIVE | DDL_DRIVES));
  if (!onlyDrives && !listEntries(attributes, pattern, files, dirs)) return false;
  if (attributes & DDL_DRIVES)
    for (const auto& drive : machine().description().drives)
      if (drive.name.size() == 1) drives.push_back("[-" + lower(drive.name) + "-]");
  std::sort(files.begin(), files.end(), lessBlind);
  auto firstDir = dirs.begin() + (!dirs.empty() && dirs[0] == "[..]" ? 1 : 0);
  std::sort(firstDir, dirs.end(), lessBlind);
  std::sort(drives.begin(), drives.end());
  for (auto* group : {&files, &dirs, &drives}) lines->insert(lines->end(), group->begin(), group->end());
  return true;
}

}  // namespace win
