// CRC-32 over a table made once.
#include "checksum.h"

#include <array>

namespace merl_standin {

namespace {

std::array<win::DWORD, 256> makeTable() {
  std::array<win::DWORD, 256> t{};
  for (win::DWORD i = 0; i < 256; ++i) {
    win::DWORD c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}

}  // namespace

win::DWORD checksumCallback(win::DWORD value, const void* data, win::DWORD count) {
  static const std::array<win::DWORD, 256> table = makeTable();
  if (!data || count == 0) return value;
  win::DWORD crc = ~value;
  const auto* p = static_cast<const unsigned char*>(data);
  for (win::DWORD i = 0; i < count; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace merl_standin
