// Local time texts, always through localtime_r.
#pragma once

#include <ctime>
#include <string>

namespace platform {

// ctime-style text without its line end: "Tue Feb 25 08:23:36 2003" (24 characters).
std::string ctimeText(std::time_t t);

// Local broken-down time; false when the conversion fails.
bool localTime(std::time_t t, std::tm& out);

}  // namespace platform
