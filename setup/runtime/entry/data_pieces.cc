// PieceName and its base-36 digits.
#include "entry/data_pieces.h"

#include <cstdio>

#include "script/script_header.h"

namespace merl {

namespace {

constexpr unsigned kBase = 36;

}  // namespace

char Base36DigitChar(int value) {
  value %= static_cast<int>(kBase);
  if (value < 0) value += kBase;
  return static_cast<char>(value < 10 ? '0' + value : 'a' + (value - 10));
}

std::string PieceName(std::string_view base, unsigned number) {
  char name[kHeaderPathLength + 4] = {};
  std::string cut(base.substr(0, kHeaderPathLength));
  auto digit = [number](unsigned place) { return Base36DigitChar(static_cast<int>(number / place % kBase)); };
  std::snprintf(name, sizeof name, "%s%c%c%c", cut.c_str(), digit(kBase * kBase), digit(kBase), digit(1));
  return name;
}

}  // namespace merl
