// Time conversions: SYSTEMTIME and FILETIME both ways with the day of the
// week, DOS dates (two-second steps, 1980-2107), refused values, and local
// file times through the host's time zone.
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <gtest/gtest.h>

#include "platform_testing/temp_dir.h"
#include "win/files.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::errorOf;
using win_testing::TestMachine;

win::FILETIME fileTime(std::uint64_t ticks) {
  return {static_cast<win::DWORD>(ticks), static_cast<win::DWORD>(ticks >> 32)};
}

std::uint64_t ticksOf(const win::FILETIME& ft) { return (std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime; }

TEST(FileTimesTest, SystemTimesAndFileTimesConvertBothWays) {
  using namespace win;
  TestMachine m;
  struct Case {
    SYSTEMTIME time;  // year, month, day of week, day, hour, minute, second, ms
    std::uint64_t ticks;
  } cases[] = {
      {{1601, 1, 1, 1, 0, 0, 0, 0}, 0},
      {{1970, 1, 4, 1, 0, 0, 0, 0}, 116444736000000000},
      {{1980, 1, 2, 1, 0, 0, 0, 0}, 119600064000000000},
      {{2000, 2, 2, 29, 12, 30, 15, 250}, 125963010152500000},
      {{2003, 2, 2, 25, 14, 0, 0, 0}, 126906552000000000},
      {{2107, 12, 6, 31, 23, 59, 58, 0}, 159992927980000000},
  };
  for (const auto& c : cases) {
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&c.time, &ft)) << c.time.wYear;
    EXPECT_EQ(ticksOf(ft), c.ticks) << c.time.wYear;
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(std::memcmp(&back, &c.time, sizeof back), 0) << c.time.wYear << " day of week " << back.wDayOfWeek;
  }
  SYSTEMTIME bad[] = {{1600, 12, 0, 31, 0, 0, 0, 0}, {2003, 13, 0, 1, 0, 0, 0, 0},  {2003, 2, 0, 29, 0, 0, 0, 0},
                      {2003, 2, 0, 0, 0, 0, 0, 0},   {2003, 2, 0, 1, 24, 0, 0, 0},  {2003, 2, 0, 1, 0, 60, 0, 0},
                      {2003, 2, 0, 1, 0, 0, 60, 0},  {2003, 2, 0, 1, 0, 0, 0, 1000}};
  for (const auto& t : bad) {
    FILETIME ft{};
    EXPECT_EQ(errorOf(SystemTimeToFileTime(&t, &ft)), ERROR_INVALID_PARAMETER)
        << t.wYear << "-" << t.wMonth << "-" << t.wDay;
  }
  FILETIME tooLate = fileTime(0x8000000000000000ull);
  SYSTEMTIME out{};
  EXPECT_EQ(errorOf(FileTimeToSystemTime(&tooLate, &out)), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(errorOf(FileTimeToSystemTime(nullptr, &out)), ERROR_INVALID_PARAMETER);
}

TEST(FileTimesTest, DosDatesAndTimesKeepTwoSecondStepsFrom1980To2107) {
  using namespace win;
  TestMachine m;
  struct Case {
    std::uint64_t ticks;
    BOOL ok;
    WORD date;
    WORD time;
  } cases[] = {
      {126906552000000000, TRUE, 0x2E59, 0x7000},             // 2003-02-25 14:00:00
      {126906552000000000 + 10000000, TRUE, 0x2E59, 0x7000},  // one second later: the same
      {126906552000000000 + 20000000, TRUE, 0x2E59, 0x7001},
      {119600064000000000, TRUE, 0x0021, 0x0000},  // 1980-01-01
      {159992927980000000, TRUE, 0xFF9F, 0xBF7D},  // 2107-12-31 23:59:58
      {119600064000000000 - 1, FALSE, 0, 0},       // 1979
      {116444736000000000, FALSE, 0, 0},           // 1970
  };
  for (const auto& c : cases) {
    FILETIME ft = fileTime(c.ticks);
    WORD date = 0, time = 0;
    EXPECT_EQ(FileTimeToDosDateTime(&ft, &date, &time), c.ok) << c.ticks;
    if (!c.ok) {
      EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
      continue;
    }
    EXPECT_EQ(date, c.date) << c.ticks;
    EXPECT_EQ(time, c.time) << c.ticks;
    FILETIME back{};
    ASSERT_TRUE(DosDateTimeToFileTime(date, time, &back));
    EXPECT_EQ(ticksOf(back), c.ticks - c.ticks % 20000000) << c.ticks;
  }
  FILETIME ft{};
  for (WORD date : {WORD(0x2E01), WORD(0x2FA1), WORD(0x2E5D)})  // month 0, month 13, February 29 of 2003
    EXPECT_EQ(errorOf(DosDateTimeToFileTime(date, 0, &ft)), ERROR_INVALID_PARAMETER) << date;
  EXPECT_EQ(errorOf(DosDateTimeToFileTime(0x2E59, 0xC000, &ft)), ERROR_INVALID_PARAMETER);  // hour 24
}

TEST(FileTimesTest, LocalFileTimesFollowTheHostTimeZone) {
  using namespace win;
  TestMachine m;
  FILETIME utc = fileTime(126906552000000000);  // 2003-02-25 14:00:00 UTC
  FILETIME local{}, back{};
  ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
  EXPECT_EQ(ticksOf(local), ticksOf(utc));  // TZ=UTC
  {
    platform_testing::ScopedEnv tz("TZ", "EST5");
    ::tzset();
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    EXPECT_EQ(ticksOf(local), 126906552000000000 - 5ull * 3600 * 10000000);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &back));
    EXPECT_EQ(ticksOf(back), ticksOf(utc));
  }
  ::tzset();
  ASSERT_TRUE(LocalFileTimeToFileTime(&utc, &back));
  EXPECT_EQ(ticksOf(back), ticksOf(utc));
  EXPECT_EQ(errorOf(FileTimeToLocalFileTime(nullptr, &local)), ERROR_INVALID_PARAMETER);
}

}  // namespace
