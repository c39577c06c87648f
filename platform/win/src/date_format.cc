// GetDateFormat and GetTimeFormat for the machine's one locale: pictures
// d dd ddd dddd M MM MMM MMMM y yy yyyy gg, h hh H HH m mm s ss t tt, and
// 'quoted' text ('' is a quote); other characters are copied.
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "fail.h"
#include "win/clock.h"
#include "win/error.h"
#include "win/machine.h"
#include "win/system.h"

namespace win {

namespace {

constexpr const char* kShortDate = "M/d/yyyy";
constexpr const char* kLongDate = "dddd, MMMM dd, yyyy";
constexpr const char* kTime = "HH:mm:ss";

constexpr std::array<const char*, 7> kDays{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
constexpr std::array<const char*, 12> kMonths{"January", "February", "March",     "April",   "May",      "June",
                                              "July",    "August",   "September", "October", "November", "December"};

// One piece of a format: a picture (a run of one letter) or literal text.
struct Piece {
  char letter = 0;  // 0 for literal text
  int count = 0;
  std::string text;
};

std::vector<Piece> parseFormat(std::string_view format, std::string_view letters) {
  std::vector<Piece> pieces;
  auto literal = [&](char c) {
    if (pieces.empty() || pieces.back().letter) pieces.push_back({});
    pieces.back().text += c;
  };
  for (std::size_t i = 0; i < format.size();) {
    char c = format[i];
    if (c == '\'') {
      for (++i; i < format.size(); ++i) {
        if (format[i] != '\'') literal(format[i]);
        else if (i + 1 < format.size() && format[i + 1] == '\'') literal(format[++i]);
        else break;
      }
      ++i;
    } else if (letters.find(c) != std::string_view::npos) {
      std::size_t run = format.find_first_not_of(c, i);
      if (run == std::string_view::npos) run = format.size();
      pieces.push_back({c, static_cast<int>(run - i), {}});
      i = run;
    } else {
      literal(c);
      ++i;
    }
  }
  return pieces;
}

std::string twoDigits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

std::string number(int n, int count) { return count >= 2 ? twoDigits(n) : std::to_string(n); }

// The day of the week of a Gregorian date (0 = Sunday).
int dayOfWeek(int y, int m, int d) {
  static const int t[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (m < 3) y -= 1;
  return (y + y / 4 - y / 100 + y / 400 + t[m - 1] + d) % 7;
}

bool validDate(const SYSTEMTIME& t) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (t.wYear < 1601 || t.wYear > 30827 || t.wMonth < 1 || t.wMonth > 12 || t.wDay < 1) return false;
  bool leap = (t.wYear % 4 == 0 && t.wYear % 100 != 0) || t.wYear % 400 == 0;
  return t.wDay <= days[t.wMonth - 1] + (t.wMonth == 2 && leap ? 1 : 0);
}

bool validTime(const SYSTEMTIME& t) {
  return t.wHour <= 23 && t.wMinute <= 59 && t.wSecond <= 59 && t.wMilliseconds <= 999;
}

std::string datePiece(const Piece& p, const SYSTEMTIME& t) {
  switch (p.letter) {
    case 'd':
      if (p.count <= 2) return number(t.wDay, p.count);
      return p.count == 3 ? std::string(kDays[dayOfWeek(t.wYear, t.wMonth, t.wDay)], 3)
                          : kDays[dayOfWeek(t.wYear, t.wMonth, t.wDay)];
    case 'M':
      if (p.count <= 2) return number(t.wMonth, p.count);
      return p.count == 3 ? std::string(kMonths[t.wMonth - 1], 3) : kMonths[t.wMonth - 1];
    case 'y':
      return p.count <= 2 ? number(t.wYear % 100, p.count) : std::to_string(t.wYear);
    case 'g':
      return "A.D.";
    default:
      return p.text;
  }
}

std::string timePiece(const Piece& p, const SYSTEMTIME& t, bool force24) {
  int twelve = t.wHour % 12 == 0 ? 12 : t.wHour % 12;
  switch (p.letter) {
    case 'h':
      return number(force24 ? t.wHour : twelve, p.count);
    case 'H':
      return number(t.wHour, p.count);
    case 'm':
      return number(t.wMinute, p.count);
    case 's':
      return number(t.wSecond, p.count);
    case 't':
      return p.count == 1 ? std::string(t.wHour < 12 ? "A" : "P") : std::string(t.wHour < 12 ? "AM" : "PM");
    default:
      return p.text;
  }
}

// Drops the pictures of letter and the literal text just before each of them.
void dropPictures(std::vector<Piece>& pieces, char letter) {
  for (std::size_t i = 0; i < pieces.size();) {
    if (pieces[i].letter != letter) {
      ++i;
      continue;
    }
    bool literalBefore = i > 0 && pieces[i - 1].letter == 0;
    pieces.erase(pieces.begin() + static_cast<long>(i));
    if (literalBefore) pieces.erase(pieces.begin() + static_cast<long>(--i));
  }
}

// Copies text and its NUL into out (cch 0: only the size); the count with the NUL, or 0.
int copyOut(const std::string& text, LPSTR out, int cch) {
  int needed = static_cast<int>(text.size() + 1);
  if (cch == 0) return needed;
  if (!out || cch < needed) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return needed;
}

SYSTEMTIME now() {
  SYSTEMTIME t{};
  GetLocalTime(&t);
  return t;
}

}  // namespace

int GetDateFormat(LCID, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCSTR lpFormat, LPSTR lpDateStr, int cchDate) {
  DWORD kind = dwFlags & (DATE_SHORTDATE | DATE_LONGDATE);
  if (cchDate < 0 || (cchDate > 0 && !lpDateStr)) return failWith<int>(ERROR_INVALID_PARAMETER);
  if (kind == (DATE_SHORTDATE | DATE_LONGDATE) || (lpFormat && kind)) return failWith<int>(ERROR_INVALID_FLAGS);
  SYSTEMTIME t = lpDate ? *lpDate : now();
  if (!validDate(t)) return failWith<int>(ERROR_INVALID_PARAMETER);
  std::string format = lpFormat ? lpFormat : kind == DATE_LONGDATE ? kLongDate : kShortDate;
  std::string out;
  for (const auto& p : parseFormat(format, "dMyg")) out += datePiece(p, t);
  return copyOut(out, lpDateStr, cchDate);
}

int GetTimeFormat(LCID, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr, int cchTime) {
  if (cchTime < 0 || (cchTime > 0 && !lpTimeStr)) return failWith<int>(ERROR_INVALID_PARAMETER);
  SYSTEMTIME t = lpTime ? *lpTime : now();
  if (!validTime(t)) return failWith<int>(ERROR_INVALID_PARAMETER);
  auto pieces = parseFormat(lpFormat ? lpFormat : kTime, "hHmst");
  if (dwFlags & (TIME_NOSECONDS | TIME_NOMINUTESORSECONDS)) dropPictures(pieces, 's');
  if (dwFlags & TIME_NOMINUTESORSECONDS) dropPictures(pieces, 'm');
  if (dwFlags & TIME_NOTIMEMARKER) dropPictures(pieces, 't');
  std::string out;
  for (const auto& p : pieces) out += timePiece(p, t, dwFlags & TIME_FORCE24HOURFORMAT);
  return copyOut(out, lpTimeStr, cchTime);
}

}  // namespace win
