// Text and hexadecimal content conversion for sensor rules.
#include "server/push/content.h"

#include <cstring>

namespace cvlm {

std::uint8_t hexByte(char high, char low) {
  int l = low >= '0' && low <= '9' ? low - 48 : (low >= 'a' && low <= 'z' ? low - 87 : low - 55);
  int h = high >= '0' && high <= '9' ? high - 48 : high - 55;
  return static_cast<std::uint8_t>((16 * h + l) & 0xFF);
}

std::uint16_t convertContent(const char (&pattern)[kContentSize], std::uint8_t textForm, std::uint8_t kind,
                             std::uint8_t (&out)[kContentSize]) {
  std::size_t length = strnlen(pattern, kContentSize);
  if (textForm != 0) {
    std::memcpy(out, pattern, kContentSize);
    return kind == kContentKindNoLength ? 0 : static_cast<std::uint16_t>(length);
  }
  std::size_t written = 0;
  std::size_t i = 0;
  if (length % 2 == 1) out[written++] = hexByte('0', pattern[i++]);
  for (; i + 1 < length; i += 2) out[written++] = hexByte(pattern[i], pattern[i + 1]);
  return static_cast<std::uint16_t>(written);
}

}  // namespace cvlm
