// CleanPathText and SetShortenedPathText over bounded copies of the path.
#include "text/path_clean.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "text/dbcs.h"
#include "win/files.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

void copyBack(const std::string& s, char* text, std::size_t size) {
  if (size == 0) return;
  std::size_t n = std::min(s.size(), size - 1);
  std::memcpy(text, s.data(), n);
  text[n] = '\0';
}

bool hasDrive(const std::string& s) { return s.size() >= 2 && s[1] == ':'; }

char currentDrive() {
  char dir[win::MAX_PATH] = {};
  win::GetCurrentDirectory(sizeof dir, dir);
  return dir[0] && dir[1] == ':' ? dir[0] : 'C';
}

// The text's width in the control's font.
int textWidth(win::HWND control, const std::string& s) {
  win::HDC dc = win::GetDC(control);
  if (!dc) return 0;
  auto font = reinterpret_cast<win::HFONT>(win::SendMessage(control, win::WM_GETFONT, 0, 0));
  win::HGDIOBJ old = font ? win::SelectObject(dc, font) : nullptr;
  win::SIZE size{};
  win::GetTextExtentPoint32(dc, s.data(), static_cast<int>(s.size()), &size);
  if (old) win::SelectObject(dc, old);
  win::ReleaseDC(control, dc);
  return size.cx;
}

// Replaces the first directory name after from that is longer than 3 characters by "...";
// false when none is left.
bool shortenNextName(std::string& s, std::size_t from) {
  for (std::size_t start = from; start < s.size();) {
    std::size_t end = s.find('\\', start);
    if (end == std::string::npos) return false;  // the last part is the file or leaf name
    if (end - start > 3) {
      s.replace(start, end - start, "...");
      return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace

void CleanPathText(char* text, std::size_t size) {
  std::string s(text, strnlen(text, size));
  s.erase(0, std::min(s.find_first_not_of(' '), s.size()));
  while (!s.empty() && (s.back() == ' ' || s.back() == '\\') &&
         DbcsByteKind(s, static_cast<int>(s.size()) - 1) != kTrailByte)
    s.pop_back();
  if (s.size() >= 2 && s[0] == '\\' && s[1] == '\\') return copyBack(s, text, size);
  if (hasDrive(s)) {
    if (s.size() == 2 || s[2] != '\\') s.insert(2, "\\");
  } else {
    if (s.empty() || s[0] != '\\') s.insert(0, "\\");
    s.insert(0, {currentDrive(), ':'});
  }
  if (s.size() < 4) s.resize(2);
  copyBack(s, text, size);
}

void SetShortenedPathText(win::HWND control, char* text, std::size_t size) {
  std::string s(text, strnlen(text, std::min(size, kPathTextBuffer)));
  win::RECT r{};
  win::GetClientRect(control, &r);
  int limit = r.right - r.left;
  if (textWidth(control, s) >= limit) {
    std::size_t first = s.find('\\');
    std::size_t from = first == std::string::npos ? s.size() : first + 1;
    while (textWidth(control, s) >= limit && shortenNextName(s, from)) {
    }
    // Cutting four and adding "..." takes one character a round; "..." itself is the end.
    while (textWidth(control, s) >= limit && s.size() > 3) s = s.substr(0, s.size() - 4) + "...";
  }
  copyBack(s, text, size);
  win::SetWindowText(control, text);
}

}  // namespace merl
