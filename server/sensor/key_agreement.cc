// Key agreement arithmetic of the sensor link.
#include "server/sensor/key_agreement.h"

#include <random>

namespace cvlm {

std::uint32_t truncatingModPower(std::uint32_t base, std::uint32_t exponent) {
  std::uint32_t k = 1;
  for (std::uint32_t i = 0; i < exponent; ++i) k = static_cast<std::uint32_t>(k * base) % kKeyModulus;
  return k;
}

std::uint8_t keyByteOf(std::uint32_t k) { return static_cast<std::uint8_t>((k & 0xFF) ^ ((k & 0xFF00) >> 4)); }

std::uint32_t drawKeyExponent() {
  thread_local std::mt19937 generator{std::random_device{}()};
  return generator() & 0xFFFF;
}

}  // namespace cvlm
