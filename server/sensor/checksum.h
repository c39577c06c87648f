// The Internet checksum the sensor checks a pushed kernel image against.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cvlm {

// Internet checksum over little-endian 16-bit words with a wrapping 32-bit
// accumulator: "abc" gives 0x9D3B, an empty buffer 0xFFFF.
std::uint16_t inetChecksum(const void* data, std::size_t length);

}  // namespace cvlm
