// Local time texts, always through localtime_r, and the sleep of bounded waits.
#pragma once

#include <ctime>
#include <string>

namespace platform {

// ctime-style text without its line end: "Tue Feb 25 08:23:36 2003" (24 characters).
std::string ctimeText(std::time_t t);

// Local broken-down time; false when the conversion fails.
bool localTime(std::time_t t, std::tm& out);

// Sleeps for milliseconds (nothing for 0 and below).
void sleepMs(int milliseconds);

}  // namespace platform
