// Stepping through the script image by the opcode size tables, every read
// bounded by the end mark at offset "length".
#include "script/script_image.h"

#include <cstdint>
#include <cstring>

namespace merl {

//                                      0   1  2  3  4  5   6  7  8  9 10 11 12 13 14 15
const BYTE kRecordSize[kOpcodeCount] = {43, 0, 2, 2, 2, 1, 19, 2, 2, 2, 3, 2, 2, 1, 0, 1,
                                        // 16  17  18 19  20 21 22 23 24 25 26 27 28 29 30 31
                                        1, 1, 43, 0, 13, 2, 1, 6, 1, 2, 2, 1, 1, 1, 2, 0};
const BYTE kRecordStrings[kOpcodeCount] = {2, 0, 1, 0, 0, 3, 0, 3, 0, 2, 3, 1, 2, 0, 0, 0,
                                           0, 1, 3, 0, 2, 2, 1, 1, 0, 3, 2, 0, 1, 2, 1, 0};
const BYTE kLanguageStrings[kOpcodeCount] = {1, 0, 4, 2, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0,
                                             0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

bool isValidOpcode(int opcode) {
  return opcode == kEndMarkOpcode || (opcode >= 0 && opcode < kOpcodeCount && kRecordSize[opcode] != 0);
}

bool NextRecord(const ScriptImage& image, DWORD& position, int languages) {
  if (image.ranOff(position) || languages < 1) return false;
  int opcode = image.opcodeAt(position);
  if (!isValidOpcode(opcode)) return false;
  if (opcode == kEndMarkOpcode) {
    if (image.ranOff(position + 1)) return false;
    position += 1;
    return true;
  }
  std::uint64_t fixedEnd = std::uint64_t{position} + kRecordSize[opcode];
  if (fixedEnd > image.length()) return false;
  auto at = static_cast<DWORD>(fixedEnd);
  int strings = kRecordStrings[opcode] + kLanguageStrings[opcode] * languages;
  for (int i = 0; i < strings; ++i) {
    NextScriptString(image, at);
    if (image.ranOff(at)) return false;
  }
  if (opcode == kBitmapOpcode) {
    std::uint64_t end = std::uint64_t{at} + kBitmapLanguageBytes * static_cast<DWORD>(languages - 1);
    if (end > image.length()) return false;
    at = static_cast<DWORD>(end);
  }
  position = at;
  return true;
}

std::string_view NextScriptString(const ScriptImage& image, DWORD& position) {
  if (image.ranOff(position)) {
    if (image.data()) position = image.length() + 1;
    return {};
  }
  const char* start = reinterpret_cast<const char*>(image.data()) + position;
  std::size_t readable = std::size_t{image.length()} + 1 - position;
  const void* nul = std::memchr(start, 0, readable);
  std::size_t n = nul ? static_cast<const char*>(nul) - start : readable;
  position += static_cast<DWORD>(nul ? n + 1 : n);
  return {start, n};
}

bool SkipToLanguage(const ScriptImage& image, DWORD& position, int k, int language) {
  long long strings = static_cast<long long>(k) * language;
  for (long long i = 0; i < strings && !image.ranOff(position); ++i) NextScriptString(image, position);
  return !image.ranOff(position);
}

}  // namespace merl
