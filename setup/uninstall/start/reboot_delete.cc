#include "start/reboot_delete.h"

#include "constants.h"
#include "log/path_names.h"
#include "win/files.h"

namespace remvex {

namespace {

// The last kWininitReadLimit bytes of a file through _lopen (a header before them is not seen,
// so a [rename] header is written again); false when it does not open.
bool readTail(const std::string& path, std::string& out) {
  win::HFILE file = win::_lopen(path.c_str(), win::OF_READ);
  if (file == win::HFILE_ERROR) return false;
  win::LONG size = win::_llseek(file, 0, 2);
  win::LONG from = size > static_cast<win::LONG>(kWininitReadLimit) ? size - static_cast<win::LONG>(kWininitReadLimit) : 0;
  win::_llseek(file, from, 0);
  char buffer[4096];
  while (out.size() < kWininitReadLimit) {
    win::UINT n = win::_lread(file, buffer, sizeof buffer);
    if (n == 0 || n == static_cast<win::UINT>(win::HFILE_ERROR)) break;
    out.append(buffer, n);
  }
  win::_lclose(file);
  return true;
}

bool writeAll(win::HFILE file, const std::string& text) {
  return win::_lwrite(file, text.data(), static_cast<win::UINT>(text.size())) == text.size();
}

// The name of the last section header of text, "" when it has none.
std::string lastSection(const std::string& text) {
  std::string section;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t at = text.find_first_not_of(" \t", start);
    if (at < end && text[at] == '[') {
      std::size_t close = text.find(']', at);
      if (close < end) section = text.substr(at + 1, close - at - 1);
    }
    start = end + 1;
  }
  return section;
}

}  // namespace

std::string WininitAppendText(const std::string& existing, const std::string& path) {
  std::string out;
  if (!existing.empty() && existing.back() != '\n') out += "\r\n";
  if (!EqualNoCase(lastSection(existing), "rename")) out += "[rename]\r\n";
  return out + "NUL=" + path + "\r\n";
}

void DeleteFileAtReboot(const std::string& path, int platform) {
  if (platform == 1) {
    win::MoveFileEx(path.c_str(), nullptr, win::MOVEFILE_DELAY_UNTIL_REBOOT);
    return;
  }
  const std::string wininit = WindowsDirectoryFile("WININIT.INI");
  std::string existing;
  if (readTail(wininit, existing)) {
    win::HFILE file = win::_lopen(wininit.c_str(), win::OF_WRITE);
    if (file == win::HFILE_ERROR) return;
    win::_llseek(file, 0, 2);
    writeAll(file, WininitAppendText(existing, path));
    win::_lclose(file);
    return;
  }
  win::HFILE file = win::_lcreat(wininit.c_str(), 0);
  if (file == win::HFILE_ERROR) return;
  writeAll(file, "[rename]\r\nNUL=" + path + "\r\n");
  win::_lclose(file);
}

}  // namespace remvex
