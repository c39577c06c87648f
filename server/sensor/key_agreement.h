// The sensor link's key agreement: both sides raise 601 to a secret power
// modulo 9973, exchange the results, and fold the shared value into one key byte.
#pragma once

#include <cstdint>

namespace cvlm {

inline constexpr std::uint32_t kKeyBase = 601;
inline constexpr std::uint32_t kKeyModulus = 9973;

// base to the power exponent modulo 9973, as exponent repeated steps
// k = (k * base) mod 9973 from k = 1, each product cut to 32 bits.
std::uint32_t truncatingModPower(std::uint32_t base, std::uint32_t exponent);

// The low byte of k with bits 8 to 11 of k XORed into its high nibble.
std::uint8_t keyByteOf(std::uint32_t k);

// A fresh secret exponent, 0 to 65535.
std::uint32_t drawKeyExponent();

}  // namespace cvlm
