// Local time texts through localtime_r, and sleeps.
#include "platform/clock.h"

#include <chrono>
#include <thread>

namespace platform {

bool localTime(std::time_t t, std::tm& out) { return ::localtime_r(&t, &out) != nullptr; }

std::string ctimeText(std::time_t t) {
  std::tm tm{};
  if (!localTime(t, tm)) return std::string(24, '?');
  char text[64];
  // Same fields as ctime: "Www Mmm dd hh:mm:ss yyyy".
  if (std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y", &tm) == 0) return std::string(24, '?');
  return text;
}

void sleepMs(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform
