// Values of the assembler that no file format fixes: the default message
// text, the largest named file, and the program's exit statuses.
#pragma once

#include <cstdint>
#include <string_view>

namespace merl_asm {

// An unlisted message k of a language reads kDefaultMessagePrefix followed by k ("m7").
inline constexpr std::string_view kDefaultMessagePrefix = "m";

// A named file, or the prefix of the installation file, larger than this is refused.
inline constexpr std::uintmax_t kMaxNamedFileBytes = 64u << 20;

inline constexpr int kExitError = 1;  // an error in the source, or an output not written
inline constexpr int kExitUsage = 2;  // a bad command line

}  // namespace merl_asm
