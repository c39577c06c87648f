// The per-process clock: its configured start, virtual sleeps that take no
// real time, and the real clock when the machine asks for it.
#include "win/clock.h"

#include <chrono>
#include <cstdlib>
#include <ctime>

#include <gtest/gtest.h>

#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }
};

TEST_F(ClockTest, StartsAtTheConfiguredLocalTime) {
  struct Case {
    const char* ini;
    win::WORD year, month, day, dayOfWeek, hour, minute, second;
  } cases[] = {
      {"", 2003, 2, 25, 2, 14, 5, 9},
      {"[clock]\nstart = 2010-12-31T23:59:59\n", 2010, 12, 31, 5, 23, 59, 59},
  };
  for (const auto& c : cases) {
    TestMachine m(c.ini);
    win::SYSTEMTIME local{}, utc{};
    win::GetLocalTime(&local);
    win::GetSystemTime(&utc);
    EXPECT_EQ(win::GetTickCount(), 0u);
    for (const auto* t : {&local, &utc}) {
      EXPECT_EQ(t->wYear, c.year);
      EXPECT_EQ(t->wMonth, c.month);
      EXPECT_EQ(t->wDay, c.day);
      EXPECT_EQ(t->wDayOfWeek, c.dayOfWeek);
      EXPECT_EQ(t->wHour, c.hour);
      EXPECT_EQ(t->wMinute, c.minute);
      EXPECT_EQ(t->wSecond, c.second);
      EXPECT_EQ(t->wMilliseconds, 0);
    }
  }
}

TEST_F(ClockTest, SleepAdvancesVirtualTimeWithoutARealWait) {
  TestMachine m("[clock]\nstart = 2010-12-31T23:59:59\n");
  auto realStart = std::chrono::steady_clock::now();
  win::Sleep(500);
  EXPECT_EQ(win::GetTickCount(), 500u);
  win::Sleep(1000);
  win::SYSTEMTIME t{};
  win::GetLocalTime(&t);
  EXPECT_EQ(t.wYear, 2011);
  EXPECT_EQ(t.wMonth, 1);
  EXPECT_EQ(t.wDay, 1);
  EXPECT_EQ(t.wSecond, 0);
  EXPECT_EQ(t.wMilliseconds, 500);
  win::Sleep(3600 * 1000);  // an hour of virtual time must not take one
  EXPECT_EQ(win::GetTickCount(), 3601500u);
  EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(30));
}

TEST_F(ClockTest, AdvanceToNeverMovesBackwards) {
  TestMachine m;
  auto& clock = m.machine().clock();
  clock.advanceTo(1000);
  clock.advanceTo(400);
  EXPECT_EQ(clock.elapsedMs(), 1000u);
  clock.advanceBy(10);
  EXPECT_EQ(clock.tickCount(), 1010u);
}

TEST_F(ClockTest, RealClockFollowsTheHost) {
  TestMachine m("[clock]\nvirtual = 0\n");
  EXPECT_FALSE(m.machine().clock().isVirtual());
  win::DWORD before = win::GetTickCount();
  win::Sleep(20);
  EXPECT_GE(win::GetTickCount() - before, 20u);
  win::SYSTEMTIME t{};
  win::GetSystemTime(&t);
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::gmtime_r(&now, &tm);
  EXPECT_EQ(t.wYear, tm.tm_year + 1900);
}

}  // namespace
