// Tokens of the text form: names, numbers, quoted strings with escapes,
// punctuation and line ends; comments run from '#' to the end of the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "source_error.h"

namespace merl_asm {

enum class TokenKind { Name, Number, String, Punct, LineEnd, End };

struct Token {
  TokenKind kind = TokenKind::End;
  SourcePos pos;
  std::string text;         // name, string bytes (escapes decoded) or the punctuation character
  std::int64_t number = 0;  // Number
};

// Numbers larger than this in magnitude are refused while reading.
inline constexpr std::int64_t kLargestNumber = 0xFFFFFFFFll;

std::vector<Token> tokenize(std::string_view source);

}  // namespace merl_asm
