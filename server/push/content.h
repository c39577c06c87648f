// The content pattern of a rule as the sensor takes it: text copied as it is,
// or hexadecimal digits turned into bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace cvlm {

inline constexpr std::size_t kContentSize = 128;
// Content kind that carries no length in text form.
inline constexpr std::uint8_t kContentKindNoLength = 16;

// The value of a pair of hexadecimal digits, the first the high half.
std::uint8_t hexByte(char high, char low);

// Fills the 128 content bytes and returns the content length.
// textForm nonzero: the pattern is copied whole; the length is 0 for content
// kind 16, else the characters before the first NUL (128 when there is none).
// textForm 0: digit pairs become bytes (a leading 0 is assumed for an odd
// count); the length is the number of bytes written.
std::uint16_t convertContent(const char (&pattern)[kContentSize], std::uint8_t textForm, std::uint8_t kind,
                             std::uint8_t (&out)[kContentSize]);

}  // namespace cvlm
