// The date and time text of log headers and messages.
#pragma once

#include <cstddef>

namespace merl {

// The machine's local time now as the system locale's short date, a blank and its time
// without user overrides ("2/25/2003 14:05:09"); without seconds the last three characters
// go ("2/25/2003 14:05"). Cut to capacity - 1 characters.
void FormatDateTimeNow(char* out, std::size_t capacity, bool withSeconds);

}  // namespace merl
