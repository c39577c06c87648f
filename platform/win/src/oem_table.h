// The one OEM <-> ANSI table of the machine: code page 437 against 1252 for
// the upper half (the lower half is ASCII on both sides).
#pragma once

#include <array>

namespace win {

// Byte 0x80 + i of code page 437 in 1252; box drawing, Greek and symbols without a 1252
// character become look-alikes ('+', '-', '|', '#', 'a', ...).
extern const std::array<unsigned char, 128> kOemToAnsi;
// Byte 0x80 + i of code page 1252 in 437: the exact matches of the table above, look-alikes
// for accented letters without one ('A' for 'À'), '?' for the rest.
extern const std::array<unsigned char, 128> kAnsiToOem;

}  // namespace win
