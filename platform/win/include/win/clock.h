// The process's clock: virtual by default (it starts at [clock] start and moves
// only when the program sleeps or waits), or real time with [clock] virtual = 0.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <ctime>

#include "win/types.h"

namespace win {

class Clock {
 public:
  // A clock starting at localStart (local time), virtual or real.
  Clock(const SYSTEMTIME& localStart, bool isVirtual);

  // True for the virtual clock.
  bool isVirtual() const { return virtual_; }
  // Milliseconds since the clock started.
  std::uint64_t elapsedMs() const;
  // GetTickCount's value: elapsed milliseconds, wrapping at 2^32.
  DWORD tickCount() const { return static_cast<DWORD>(elapsedMs()); }
  // Moves the clock on by ms (the real clock waits that long).
  void advanceBy(std::uint64_t ms);
  // Moves the clock on to elapsedMs; never backwards.
  void advanceTo(std::uint64_t elapsedMs);
  // The current moment in milliseconds since 1970-01-01 UTC.
  std::int64_t unixMs() const;
  // The current local time (the host's time zone).
  SYSTEMTIME localTime() const;
  // The current UTC time.
  SYSTEMTIME systemTime() const;

 private:
  bool virtual_;
  std::int64_t startUnixMs_;
  std::chrono::steady_clock::time_point realStart_;
  std::atomic<std::uint64_t> elapsed_{0};
};

// A SYSTEMTIME from milliseconds since 1970 UTC, as local time or as UTC.
SYSTEMTIME systemTimeFromUnixMs(std::int64_t unixMs, bool local);

// The current machine's clock in milliseconds since the process started.
DWORD GetTickCount();
// Advances the virtual clock by ms without a real wait (the real clock sleeps).
void Sleep(DWORD ms);
// The current local time.
void GetLocalTime(SYSTEMTIME* time);
// The current UTC time.
void GetSystemTime(SYSTEMTIME* time);

}  // namespace win
