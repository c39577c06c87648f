// Small helpers for the windows half's transcript lines: handle numbers,
// rectangles, colours and hexadecimal values in one form everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "win/json.h"
#include "win/types.h"

namespace win::detail {

// Appends one event line to the machine's transcript.
void trace(std::string_view event, const JsonObject& fields);
// [left, top, right, bottom].
JsonArray rectJson(const RECT& rect);
// "#rrggbb", or "palette:<i>" for a PALETTEINDEX colour.
std::string colorText(COLORREF color);
// "0x" and eight hexadecimal digits.
std::string hex32(DWORD value);
// A handle's number.
template <typename H>
std::uint64_t hv(H handle) {
  return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace win::detail
