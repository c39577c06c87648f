// FillDriveCombo, FillDirectoryList and the browser's moves over the list and
// combo messages of the machine's controls.
#include "ui/directory_browser.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "files/paths.h"
#include "script/expansion.h"
#include "system/drives.h"
#include "system/proc_cast.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/files.h"
#include "win/library.h"
#include "win/machine_description.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

using WNetGetConnectionA = DWORD (*)(win::LPCSTR local, win::LPSTR remote, win::LPDWORD length);

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool hasLower(const std::string& s) {
  for (char c : s)
    if (std::islower(static_cast<unsigned char>(c))) return true;
  return false;
}

std::string listText(win::HWND list, win::UINT getLength, win::UINT getText, win::WPARAM index) {
  auto n = win::SendMessage(list, getLength, index, 0);
  if (n < 0 || n >= kPathBufferSize) return {};
  char text[kPathBufferSize] = {};
  win::SendMessage(list, getText, index, reinterpret_cast<win::LPARAM>(text));
  return text;
}

std::string volumeLabel(char letter) {
  FindRecord record;
  std::string pattern{letter, ':', '\\', '*', '.', '*'};
  std::string label;
  if (FindFirst(pattern.c_str(), kVolumeLabelAttribute, record) == kFound) label = record.name;
  FindEnd(record);
  if (label.size() > kLabelNameLength && label[kLabelNameLength] == '.') label.erase(kLabelNameLength, 1);
  return label;
}

std::string connectionName(char letter) {
  win::HMODULE mpr = win::LoadLibrary("MPR.DLL");
  if (!mpr) return {};
  auto get = procAs<WNetGetConnectionA>(win::GetProcAddress(mpr, "WNetGetConnectionA"));
  char remote[kPathBufferSize] = {};
  DWORD length = sizeof remote;
  std::string device{letter, ':'};
  std::string name;
  if (get && get(device.c_str(), remote, &length) == 0) name = remote;
  win::FreeLibrary(mpr);
  return name;
}

std::string currentDirectory() {
  char dir[kPathBufferSize] = {};
  win::GetCurrentDirectory(sizeof dir, dir);
  MakeFullPath(dir, false);
  return dir;
}

bool isRoot(const std::string& dir) { return dir.size() <= 3 && dir.size() >= 2 && dir[1] == ':'; }

// The path's levels: the root with its backslash, then each directory name.
std::vector<std::string> levelsOf(const std::string& dir) {
  std::vector<std::string> levels;
  std::size_t start = dir.find('\\');
  if (start == std::string::npos) return {dir + "\\"};
  levels.push_back(dir.substr(0, start + 1));
  for (std::size_t at = start + 1; at < dir.size();) {
    std::size_t end = dir.find('\\', at);
    if (end == std::string::npos) end = dir.size();
    if (end > at) levels.push_back(dir.substr(at, end - at));
    at = end + 1;
  }
  return levels;
}

std::string shownName(const std::string& name) { return hasLower(name) ? name : lower(name); }

// The entry's name: the first line of its text with variables expanded.
std::string entryName(const char* entryText) {
  if (!entryText) return {};
  char expanded[kExpandLimit256];
  ExpandVars256(expanded, entryText);
  std::string name = expanded;
  return name.substr(0, name.find_first_of("\r\n"));
}

std::string pathText(const std::string& dir, const std::string& name, unsigned flags) {
  bool root = isRoot(dir);
  if (name.empty() || ((flags & kBrowseNameAtRootOnly) && !root)) return dir;
  std::string part = name;
  if ((flags & kBrowseNameLastPart) && !root) {
    std::size_t cut = part.find_last_of("\\:");
    if (cut != std::string::npos) part.erase(0, cut + 1);
  } else {
    if (part.size() >= 2 && part[1] == ':') part.erase(0, 2);
    part.erase(0, std::min(part.find_first_not_of('\\'), part.size()));
  }
  return dir + (dir.empty() || dir.back() == '\\' ? "" : "\\") + part;
}

void addItem(win::HWND list, const std::string& text, int picture, int level) {
  auto index = win::SendMessage(list, win::LB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>(text.c_str()));
  if (index >= 0)
    win::SendMessage(list, win::LB_SETITEMDATA, static_cast<win::WPARAM>(index),
                     static_cast<win::LPARAM>((picture << 16) | level));
}

std::vector<std::string> subdirectories(win::HWND hidden, const std::string& dir) {
  std::vector<std::string> names;
  if (!hidden) return names;
  win::SendMessage(hidden, win::LB_RESETCONTENT, 0, 0);
  std::string pattern = dir + (dir.back() == '\\' ? "" : "\\") + "*.*";
  win::SendMessage(hidden, win::LB_DIR, win::DDL_DIRECTORY | win::DDL_EXCLUSIVE,
                   reinterpret_cast<win::LPARAM>(pattern.c_str()));
  auto count = win::SendMessage(hidden, win::LB_GETCOUNT, 0, 0);
  for (win::LRESULT i = 0; i < count; ++i) {
    std::string item = listText(hidden, win::LB_GETTEXTLEN, win::LB_GETTEXT, static_cast<win::WPARAM>(i));
    if (item.size() < 3 || item.front() != '[' || item.back() != ']') continue;
    std::string name = item.substr(1, item.size() - 2);
    if (name[0] == '.' || name[0] == '-') continue;
    names.push_back(name);
  }
  return names;
}

bool enter(const std::string& path) { return SetCurrentDir(path.c_str()); }

int selectedDrive(win::HWND combo) {
  auto sel = win::SendMessage(combo, win::CB_GETCURSEL, 0, 0);
  if (sel < 0) return -1;
  return static_cast<int>(win::SendMessage(combo, win::CB_GETITEMDATA, static_cast<win::WPARAM>(sel), 0) & 0xFFFF);
}

void selectDrive(win::HWND combo, int drive) {
  auto count = win::SendMessage(combo, win::CB_GETCOUNT, 0, 0);
  for (win::LRESULT i = 0; i < count; ++i)
    if ((win::SendMessage(combo, win::CB_GETITEMDATA, static_cast<win::WPARAM>(i), 0) & 0xFFFF) == drive)
      win::SendMessage(combo, win::CB_SETCURSEL, static_cast<win::WPARAM>(i), 0);
}

int currentDriveIndex() {
  std::string dir = currentDirectory();
  return dir.size() >= 2 && dir[1] == ':' ? std::toupper(static_cast<unsigned char>(dir[0])) - 'A' : -1;
}

}  // namespace

void FillDriveCombo(win::HWND combo, win::HWND hiddenList) {
  win::SendMessage(combo, win::CB_RESETCONTENT, 0, 0);
  win::SendMessage(hiddenList, win::LB_RESETCONTENT, 0, 0);
  win::SendMessage(hiddenList, win::LB_DIR, win::DDL_DRIVES | win::DDL_EXCLUSIVE, reinterpret_cast<win::LPARAM>("*"));
  int current = currentDriveIndex();
  auto count = win::SendMessage(hiddenList, win::LB_GETCOUNT, 0, 0);
  for (win::LRESULT i = 0; i < count; ++i) {
    std::string entry = listText(hiddenList, win::LB_GETTEXTLEN, win::LB_GETTEXT, static_cast<win::WPARAM>(i));
    if (entry.size() < 5 || entry.compare(0, 2, "[-") != 0) continue;
    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(entry[2])));
    if (letter < 'a' || letter > 'z') continue;
    int index = letter - 'a';
    win::UINT type = DriveTypeOf(index);
    if (type == win::DRIVE_UNKNOWN || type == win::DRIVE_NO_ROOT_DIR) continue;
    std::string text{letter, ':', ' ', ' '};
    if (type == win::DRIVE_FIXED || type == win::DRIVE_RAMDISK)
      text += lower(volumeLabel(letter));
    else if (type == win::DRIVE_REMOTE)
      text += lower(connectionName(letter));
    auto at = win::SendMessage(combo, win::CB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>(text.c_str()));
    if (at < 0) continue;
    win::SendMessage(combo, win::CB_SETITEMDATA, static_cast<win::WPARAM>(at),
                     static_cast<win::LPARAM>((type << 16) | static_cast<win::UINT>(index)));
    if (index == current) win::SendMessage(combo, win::CB_SETCURSEL, static_cast<win::WPARAM>(at), 0);
  }
}

void FillDirectoryList(win::HWND dialog, int listId, const char* entryText, unsigned flags) {
  std::string dir = currentDirectory();
  if (win::HWND text = win::GetDlgItem(dialog, listId - 1))
    win::SetWindowText(text, pathText(dir, entryName(entryText), flags).c_str());
  win::HWND list = win::GetDlgItem(dialog, listId);
  if (!list) return;
  win::SendMessage(list, win::WM_SETREDRAW, win::FALSE, 0);
  win::SendMessage(list, win::LB_RESETCONTENT, 0, 0);
  std::vector<std::string> levels = levelsOf(dir);
  int last = static_cast<int>(levels.size()) - 1;
  for (int i = 0; i <= last; ++i)
    addItem(list, shownName(levels[static_cast<std::size_t>(i)]), i == last ? kCurrentDirPicture : kPathLevelPicture,
            i);
  for (const std::string& name : subdirectories(win::GetDlgItem(dialog, listId + 2), dir))
    addItem(list, shownName(name), kSubdirectoryPicture, last + 1);
  win::SendMessage(list, win::WM_SETREDRAW, win::TRUE, 0);
  win::SendMessage(list, win::LB_SETTOPINDEX, static_cast<win::WPARAM>(last >= 3 ? last - 2 : 0), 0);
  win::SendMessage(list, win::LB_SETCURSEL, static_cast<win::WPARAM>(last), 0);
}

bool BrowseToSelectedItem(win::HWND dialog, int listId, const char* entryText, unsigned flags) {
  win::HWND list = win::GetDlgItem(dialog, listId);
  auto sel = win::SendMessage(list, win::LB_GETCURSEL, 0, 0);
  if (sel < 0) return false;
  auto picture = (win::SendMessage(list, win::LB_GETITEMDATA, static_cast<win::WPARAM>(sel), 0) >> 16) & 0xFFFF;
  std::string path;
  if (picture == kPathLevelPicture) {
    for (win::LRESULT i = 0; i <= sel; ++i) {
      std::string level = listText(list, win::LB_GETTEXTLEN, win::LB_GETTEXT, static_cast<win::WPARAM>(i));
      path += (path.empty() || path.back() == '\\' ? "" : "\\") + level;
    }
  } else if (picture == kSubdirectoryPicture) {
    std::string dir = currentDirectory();
    path = dir + (dir.back() == '\\' ? "" : "\\") +
           listText(list, win::LB_GETTEXTLEN, win::LB_GETTEXT, static_cast<win::WPARAM>(sel));
  } else {
    return false;
  }
  if (!enter(path)) return false;
  FillDirectoryList(dialog, listId, entryText, flags);
  return true;
}

bool BrowseToSelectedDrive(win::HWND dialog, int comboId, int listId, const char* entryText, unsigned flags) {
  win::HWND combo = win::GetDlgItem(dialog, comboId);
  int drive = selectedDrive(combo);
  int previous = currentDriveIndex();
  if (drive < 0 || drive == previous) return false;
  std::string root{static_cast<char>('A' + drive), ':', '\\'};
  if (!enter(root)) {
    selectDrive(combo, previous);
    return false;
  }
  FillDirectoryList(dialog, listId, entryText, flags);
  return true;
}

}  // namespace merl
