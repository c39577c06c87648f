// The per-process clock. The virtual clock is a counter of milliseconds moved
// by sleeps and waits; the real one reads the host's clocks and really waits.
#include "win/clock.h"

#include <thread>

#include "platform/clock.h"
#include "win/machine.h"

namespace win {

namespace {

std::int64_t unixMsFromLocal(const SYSTEMTIME& t) {
  std::tm tm{};
  tm.tm_year = t.wYear - 1900;
  tm.tm_mon = t.wMonth - 1;
  tm.tm_mday = t.wDay;
  tm.tm_hour = t.wHour;
  tm.tm_min = t.wMinute;
  tm.tm_sec = t.wSecond;
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm)) * 1000 + t.wMilliseconds;
}

}  // namespace

Clock::Clock(const SYSTEMTIME& localStart, bool isVirtual)
    : virtual_(isVirtual), startUnixMs_(unixMsFromLocal(localStart)), realStart_(std::chrono::steady_clock::now()) {}

std::uint64_t Clock::elapsedMs() const {
  if (virtual_) return elapsed_.load();
  auto d = std::chrono::steady_clock::now() - realStart_;
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
}

void Clock::advanceBy(std::uint64_t ms) {
  if (virtual_) elapsed_ += ms;
  else std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void Clock::advanceTo(std::uint64_t elapsedMs) {
  if (!virtual_) {
    std::this_thread::sleep_until(realStart_ + std::chrono::milliseconds(elapsedMs));
    return;
  }
  std::uint64_t now = elapsed_.load();
  while (now < elapsedMs && !elapsed_.compare_exchange_weak(now, elapsedMs)) {
  }
}

std::int64_t Clock::unixMs() const {
  if (virtual_) return startUnixMs_ + static_cast<std::int64_t>(elapsed_.load());
  auto now = std::chrono::system_clock::now().time_since_epoch();
  return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

SYSTEMTIME Clock::localTime() const { return systemTimeFromUnixMs(unixMs(), true); }

SYSTEMTIME Clock::systemTime() const { return systemTimeFromUnixMs(unixMs(), false); }

SYSTEMTIME systemTimeFromUnixMs(std::int64_t unixMs, bool local) {
  std::int64_t seconds = unixMs >= 0 ? unixMs / 1000 : (unixMs - 999) / 1000;
  auto t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  if (local) platform::localTime(t, tm);
  else ::gmtime_r(&t, &tm);
  SYSTEMTIME s{};
  s.wYear = static_cast<WORD>(tm.tm_year + 1900);
  s.wMonth = static_cast<WORD>(tm.tm_mon + 1);
  s.wDayOfWeek = static_cast<WORD>(tm.tm_wday);
  s.wDay = static_cast<WORD>(tm.tm_mday);
  s.wHour = static_cast<WORD>(tm.tm_hour);
  s.wMinute = static_cast<WORD>(tm.tm_min);
  s.wSecond = static_cast<WORD>(tm.tm_sec);
  s.wMilliseconds = static_cast<WORD>(unixMs - seconds * 1000);
  return s;
}

DWORD GetTickCount() { return machine().clock().tickCount(); }

void Sleep(DWORD ms) {
  if (ms == INFINITE) machine().exitStuck("Sleep(INFINITE) never returns");
  machine().clock().advanceBy(ms);
}

void GetLocalTime(SYSTEMTIME* time) {
  if (time) *time = machine().clock().localTime();
}

void GetSystemTime(SYSTEMTIME* time) {
  if (time) *time = machine().clock().systemTime();
}

}  // namespace win
