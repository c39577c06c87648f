// FILETIME, SYSTEMTIME and DOS date and time conversions, local time through
// the host's time zone, and FILETIME against host times. The calendar is the
// proleptic Gregorian one counted from 1601-01-01 (a Monday).
#include <ctime>

#include "file_access.h"
#include "platform/clock.h"
#include "win/error.h"
#include "win/files.h"

namespace win {

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerMs = 10000;
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::uint64_t kTicksPerDay = kTicksPerSecond * 86400;
constexpr std::uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFF;
constexpr int kFirstYear = 1601;
constexpr int kLastYear = 30827;
constexpr int kFirstDosYear = 1980;
constexpr int kLastDosYear = 2107;

bool isLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned daysInMonth(int year, unsigned month) {
  static const unsigned days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && isLeap(year) ? 29 : days[month - 1];
}

// Days from 1601-01-01 to the first of January of year.
std::int64_t daysBeforeYear(int year) {
  std::int64_t y = year - kFirstYear;
  return 365 * y + y / 4 - y / 100 + y / 400;
}

bool validSystemTime(const SYSTEMTIME& t) {
  return t.wYear >= kFirstYear && t.wYear <= kLastYear && t.wMonth >= 1 && t.wMonth <= 12 && t.wDay >= 1 &&
         t.wDay <= daysInMonth(t.wYear, t.wMonth) && t.wHour < 24 && t.wMinute < 60 && t.wSecond < 60 &&
         t.wMilliseconds < 1000;
}

std::uint64_t ticksOfSystemTime(const SYSTEMTIME& t) {
  std::int64_t days = daysBeforeYear(t.wYear);
  for (unsigned m = 1; m < t.wMonth; ++m) days += daysInMonth(t.wYear, m);
  days += t.wDay - 1;
  std::uint64_t seconds = static_cast<std::uint64_t>(days) * 86400 + t.wHour * 3600u + t.wMinute * 60u + t.wSecond;
  return seconds * kTicksPerSecond + t.wMilliseconds * kTicksPerMs;
}

SYSTEMTIME systemTimeOfTicks(std::uint64_t ticks) {
  auto days = static_cast<std::int64_t>(ticks / kTicksPerDay);
  std::uint64_t rest = ticks % kTicksPerDay;
  int year = kFirstYear + static_cast<int>(days / 365);  // never too small; a few steps back at most
  while (daysBeforeYear(year) > days) --year;
  days -= daysBeforeYear(year);
  unsigned month = 1;
  while (days >= static_cast<std::int64_t>(daysInMonth(year, month))) days -= daysInMonth(year, month++);
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(year);
  t.wMonth = static_cast<WORD>(month);
  t.wDay = static_cast<WORD>(days + 1);
  t.wDayOfWeek = static_cast<WORD>((ticks / kTicksPerDay + 1) % 7);
  t.wHour = static_cast<WORD>(rest / (kTicksPerSecond * 3600));
  t.wMinute = static_cast<WORD>(rest / (kTicksPerSecond * 60) % 60);
  t.wSecond = static_cast<WORD>(rest / kTicksPerSecond % 60);
  t.wMilliseconds = static_cast<WORD>(rest / kTicksPerMs % 1000);
  return t;
}

std::int64_t unixSecondsOfTicks(std::uint64_t ticks) {
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

std::uint64_t ticksOfUnixSeconds(std::int64_t seconds, std::uint64_t fraction) {
  return static_cast<std::uint64_t>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond + fraction;
}

}  // namespace

namespace files {

std::uint64_t ticksOf(const FILETIME& ft) {
  return (static_cast<std::uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t ticks) {
  return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME fileTimeFromTimespec(const struct timespec& ts) {
  if (ts.tv_sec < -kSecondsFrom1601To1970) return fileTimeOf(0);
  return fileTimeOf(ticksOfUnixSeconds(ts.tv_sec, static_cast<std::uint64_t>(ts.tv_nsec) / 100));
}

struct timespec timespecFromFileTime(const FILETIME& ft) {
  std::uint64_t ticks = ticksOf(ft);
  struct timespec ts{};
  ts.tv_sec = static_cast<time_t>(unixSecondsOfTicks(ticks));
  ts.tv_nsec = static_cast<long>(ticks % kTicksPerSecond * 100);
  return ts;
}

}  // namespace files

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
  if (!lpFileTime || !lpSystemTime || files::ticksOf(*lpFileTime) > kMaxFileTime)
    return files::fail(ERROR_INVALID_PARAMETER);
  *lpSystemTime = systemTimeOfTicks(files::ticksOf(*lpFileTime));
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, FILETIME* lpFileTime) {
  if (!lpSystemTime || !lpFileTime || !validSystemTime(*lpSystemTime)) return files::fail(ERROR_INVALID_PARAMETER);
  *lpFileTime = files::fileTimeOf(ticksOfSystemTime(*lpSystemTime));
  return TRUE;
}

BOOL FileTimeToDosDateTime(const FILETIME* lpFileTime, WORD* lpFatDate, WORD* lpFatTime) {
  SYSTEMTIME t{};
  if (!lpFatDate || !lpFatTime || !FileTimeToSystemTime(lpFileTime, &t)) return files::fail(ERROR_INVALID_PARAMETER);
  if (t.wYear < kFirstDosYear || t.wYear > kLastDosYear) return files::fail(ERROR_INVALID_PARAMETER);
  *lpFatDate = static_cast<WORD>(((t.wYear - kFirstDosYear) << 9) | (t.wMonth << 5) | t.wDay);
  *lpFatTime = static_cast<WORD>((t.wHour << 11) | (t.wMinute << 5) | (t.wSecond / 2));
  return TRUE;
}

BOOL DosDateTimeToFileTime(WORD wFatDate, WORD wFatTime, FILETIME* lpFileTime) {
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(kFirstDosYear + (wFatDate >> 9));
  t.wMonth = static_cast<WORD>((wFatDate >> 5) & 0xF);
  t.wDay = static_cast<WORD>(wFatDate & 0x1F);
  t.wHour = static_cast<WORD>(wFatTime >> 11);
  t.wMinute = static_cast<WORD>((wFatTime >> 5) & 0x3F);
  t.wSecond = static_cast<WORD>((wFatTime & 0x1F) * 2);
  return SystemTimeToFileTime(&t, lpFileTime);
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, FILETIME* lpLocalFileTime) {
  if (!lpFileTime || !lpLocalFileTime) return files::fail(ERROR_INVALID_PARAMETER);
  std::uint64_t ticks = files::ticksOf(*lpFileTime);
  std::tm tm{};
  if (!platform::localTime(static_cast<std::time_t>(unixSecondsOfTicks(ticks)), tm))
    return files::fail(ERROR_INVALID_PARAMETER);
  std::int64_t offset = static_cast<std::int64_t>(tm.tm_gmtoff) * static_cast<std::int64_t>(kTicksPerSecond);
  if (offset < 0 && ticks < static_cast<std::uint64_t>(-offset)) return files::fail(ERROR_INVALID_PARAMETER);
  *lpLocalFileTime = files::fileTimeOf(ticks + static_cast<std::uint64_t>(offset));
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, FILETIME* lpFileTime) {
  if (!lpLocalFileTime || !lpFileTime) return files::fail(ERROR_INVALID_PARAMETER);
  std::uint64_t ticks = files::ticksOf(*lpLocalFileTime);
  auto wall = static_cast<std::time_t>(unixSecondsOfTicks(ticks));
  std::tm tm{};
  if (!::gmtime_r(&wall, &tm)) return files::fail(ERROR_INVALID_PARAMETER);
  tm.tm_isdst = -1;
  std::time_t utc = std::mktime(&tm);  // the wall time read in the host's zone
  if (utc < -kSecondsFrom1601To1970) return files::fail(ERROR_INVALID_PARAMETER);
  *lpFileTime = files::fileTimeOf(ticksOfUnixSeconds(utc, ticks % kTicksPerSecond));
  return TRUE;
}

}  // namespace win
