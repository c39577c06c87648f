// Names of the separately stored data pieces: the header's piece base name and
// three base-36 digits of the piece number.
#pragma once

#include <string>
#include <string_view>

namespace merl {

// Digit value (0..35) as '0'-'9', then 'a'-'z'.
char Base36DigitChar(int value);

// The piece's name: base followed by the three base-36 digits of number (most significant
// first; the number taken modulo 36^3).
std::string PieceName(std::string_view base, unsigned number);

}  // namespace merl
