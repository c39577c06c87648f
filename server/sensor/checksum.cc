// Internet checksum with the sensor's wrapping accumulator.
#include "server/sensor/checksum.h"

namespace cvlm {

std::uint16_t inetChecksum(const void* data, std::size_t length) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  std::uint32_t sum = 0;  // wraps modulo 2^32, as the sensor expects
  for (; length >= 2; p += 2, length -= 2) sum += static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8;
  if (length == 1) sum += p[0];
  sum = (sum >> 16) + (sum & 0xFFFF);
  sum += sum >> 16;
  return static_cast<std::uint16_t>(~sum);
}

}  // namespace cvlm
