// The windows half's transcript helpers.
#include "ui_trace.h"

#include <cstdio>

#include "win/machine.h"

namespace win::detail {

void trace(std::string_view event, const JsonObject& fields) { machine().transcript().write(event, fields); }

JsonArray rectJson(const RECT& rect) {
  JsonArray a;
  a.add(rect.left).add(rect.top).add(rect.right).add(rect.bottom);
  return a;
}

std::string colorText(COLORREF color) {
  char buffer[24];
  if ((color & 0xFF000000u) == 0x01000000u)
    std::snprintf(buffer, sizeof buffer, "palette:%u", static_cast<unsigned>(color & 0xFFFF));
  else
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", static_cast<unsigned>(color & 0xFF),
                  static_cast<unsigned>((color >> 8) & 0xFF), static_cast<unsigned>((color >> 16) & 0xFF));
  return buffer;
}

std::string hex32(DWORD value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(value));
  return buffer;
}

}  // namespace win::detail
