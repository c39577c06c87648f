// Date and time formats: the defaults at the clock's start, pictures and
// quoted text, the flags that drop parts, sizes and refused input; Sleep moves
// the virtual clock without a real wait.
#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "win/clock.h"
#include "win/error.h"
#include "win/system.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

std::string dateText(win::DWORD flags, const win::SYSTEMTIME* t = nullptr, const char* format = nullptr) {
  char buffer[64];
  int n = win::GetDateFormat(win::LOCALE_SYSTEM_DEFAULT, flags, t, format, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, n - 1) : "<" + std::to_string(win::GetLastError()) + ">";
}

std::string timeText(win::DWORD flags, const win::SYSTEMTIME* t = nullptr, const char* format = nullptr) {
  char buffer[64];
  int n = win::GetTimeFormat(win::LOCALE_SYSTEM_DEFAULT, flags, t, format, buffer, sizeof buffer);
  return n > 0 ? std::string(buffer, n - 1) : "<" + std::to_string(win::GetLastError()) + ">";
}

TEST(DateFormatTest, TheClockStartGivesTheShortDateAndTheTime) {
  TestMachine m("[clock]\nstart = 2003-02-25T14:05:09\n");
  EXPECT_EQ(dateText(win::DATE_SHORTDATE), "2/25/2003");
  EXPECT_EQ(timeText(win::LOCALE_NOUSEROVERRIDE), "14:05:09");
  std::string both = dateText(win::DATE_SHORTDATE) + " " + timeText(win::LOCALE_NOUSEROVERRIDE);
  EXPECT_EQ(both.substr(0, both.size() - 3), "2/25/2003 14:05");  // the runtime's cut without seconds

  auto before = std::chrono::steady_clock::now();
  win::DWORD ticks = win::GetTickCount();
  win::Sleep(500);
  EXPECT_EQ(win::GetTickCount(), ticks + 500);
  EXPECT_EQ(timeText(0), "14:05:09");
  win::Sleep(60000);
  EXPECT_EQ(timeText(0), "14:06:09");
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(10));  // virtual: no real minute
}

struct PictureCase {
  const char* format;
  const char* text;
};

TEST(DateFormatTest, PicturesAndQuotedText) {
  TestMachine m;
  win::SYSTEMTIME t{2003, 2, 0, 5, 9, 7, 3, 0};
  const PictureCase dates[] = {
      {"dddd, MMMM dd, yyyy", "Wednesday, February 05, 2003"},
      {"ddd MMM d yy", "Wed Feb 5 03"},
      {"yyyy-MM-dd", "2003-02-05"},
      {"y/M/d", "3/2/5"},
      {"'Day' d 'of' MMMM", "Day 5 of February"},
      {"'It''s' gg yyyy", "It's A.D. 2003"},
      {"'open quote d", "open quote d"},
  };
  for (const auto& c : dates) EXPECT_EQ(dateText(0, &t, c.format), c.text) << c.format;
  EXPECT_EQ(dateText(win::DATE_LONGDATE, &t), "Wednesday, February 05, 2003");
  const PictureCase times[] = {
      {"h:mm tt", "9:07 AM"}, {"hh:mm:ss t", "09:07:03 A"}, {"H.m.s", "9.7.3"}, {"HH 'o''clock'", "09 o'clock"},
  };
  for (const auto& c : times) EXPECT_EQ(timeText(0, &t, c.format), c.text) << c.format;
  win::SYSTEMTIME evening{2003, 2, 0, 5, 21, 30, 0, 0};
  EXPECT_EQ(timeText(0, &evening, "h:mm tt"), "9:30 PM");
  EXPECT_EQ(timeText(win::TIME_FORCE24HOURFORMAT, &evening, "h:mm tt"), "21:30 PM");
  EXPECT_EQ(timeText(win::TIME_NOTIMEMARKER, &evening, "h:mm tt"), "9:30");
  EXPECT_EQ(timeText(win::TIME_NOSECONDS, &evening), "21:30");
  EXPECT_EQ(timeText(win::TIME_NOMINUTESORSECONDS, &evening), "21");
}

TEST(DateFormatTest, SizesFlagsAndBadTimesAreRefused) {
  TestMachine m;
  win::SYSTEMTIME t{2003, 2, 0, 25, 14, 5, 9, 0};
  EXPECT_EQ(win::GetDateFormat(0, win::DATE_SHORTDATE, &t, nullptr, nullptr, 0), 10);
  char small[5];
  EXPECT_EQ(win::GetDateFormat(0, win::DATE_SHORTDATE, &t, nullptr, small, sizeof small), 0);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(win::GetTimeFormat(0, 0, &t, nullptr, nullptr, 0), 9);
  EXPECT_EQ(dateText(win::DATE_SHORTDATE, &t, "d"), "<1004>");
  EXPECT_EQ(dateText(win::DATE_SHORTDATE | win::DATE_LONGDATE, &t), "<1004>");
  win::SYSTEMTIME february30{2003, 2, 0, 30, 0, 0, 0, 0};
  EXPECT_EQ(dateText(0, &february30), "<87>");
  win::SYSTEMTIME leap{2004, 2, 0, 29, 0, 0, 0, 0};
  EXPECT_EQ(dateText(0, &leap), "2/29/2004");
  win::SYSTEMTIME late{2003, 2, 0, 25, 24, 0, 0, 0};
  EXPECT_EQ(timeText(0, &late), "<87>");
}

}  // namespace
