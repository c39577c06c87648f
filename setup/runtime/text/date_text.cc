// The date and time text from GetDateFormat and GetTimeFormat of the system locale.
#include "text/date_text.h"

#include <string>

#include "text/copy_text.h"
#include "win/system.h"

namespace merl {

namespace {

constexpr std::size_t kSecondsLength = 3;  // ":ss"
constexpr int kPartSize = 64;

}  // namespace

void FormatDateTimeNow(char* out, std::size_t capacity, bool withSeconds) {
  char date[kPartSize] = {};
  char time[kPartSize] = {};
  if (win::GetDateFormat(win::LOCALE_SYSTEM_DEFAULT, win::DATE_SHORTDATE, nullptr, nullptr, date, kPartSize) == 0)
    date[0] = '\0';
  if (win::GetTimeFormat(win::LOCALE_SYSTEM_DEFAULT, win::LOCALE_NOUSEROVERRIDE, nullptr, nullptr, time, kPartSize) == 0)
    time[0] = '\0';
  std::string text = std::string(date) + " " + time;
  if (!withSeconds) text.resize(text.size() > kSecondsLength ? text.size() - kSecondsLength : 0);
  copyText(out, capacity, text);
}

}  // namespace merl
