// The records the assembler can write: the three size tables indexed by
// opcode, and for each record its mnemonic, its fixed fields and its strings.
// The assembler is an oracle for the runtime, so nothing here is shared with it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace merl_asm {

inline constexpr int kOpcodeCount = 32;
inline constexpr int kEndMarkOpcode = 63;  // '?'
inline constexpr int kBitmapOpcode = 6;
inline constexpr std::size_t kBitmapLanguageBytes = 12;  // per further language

// Fixed part including the opcode byte; 0 = no record has this opcode.
inline constexpr std::array<std::uint8_t, kOpcodeCount> kFixedSize = {
    43, 0, 2, 2, 2, 1, 19, 2, 2, 2, 3, 2, 2, 1, 0, 1,
    1,  1, 43, 0, 13, 2, 1, 6, 1, 2, 2, 1, 1, 1, 2, 0};
// Strings written once.
inline constexpr std::array<std::uint8_t, kOpcodeCount> kStringCount = {
    2, 0, 1, 0, 0, 3, 0, 3, 0, 2, 3, 1, 2, 0, 0, 0,
    0, 1, 3, 0, 2, 2, 1, 1, 0, 3, 2, 0, 1, 2, 1, 0};
// Strings written once per language.
inline constexpr std::array<std::uint8_t, kOpcodeCount> kLanguageStringCount = {
    1, 0, 4, 2, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0,
    0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

enum class FieldType : std::uint8_t { U8, U16, I16, U32 };

std::size_t fieldWidth(FieldType type);

// A number in the fixed part. A per-language field repeats every
// kBitmapLanguageBytes bytes, once per language (the display-bitmap record).
struct FixedField {
  std::string_view name;
  FieldType type;
  std::uint8_t offset;  // from the opcode byte
  bool perLanguage = false;
};

// A string after the fixed part. Consecutive per-language slots form the
// record's language group: all of language 0, then all of language 1, ...
struct StringSlot {
  std::string_view name;
  bool perLanguage = false;
};

struct RecordForm {
  std::string_view mnemonic;
  int opcode;
  std::span<const FixedField> fields;
  std::span<const StringSlot> strings;
};

// nullptr when there is no such record.
const RecordForm* findRecordForm(std::string_view mnemonic);
const RecordForm* recordFormFor(int opcode);

// Bytes of the fixed part of opcode in a script of the given language count.
std::size_t fixedPartSize(int opcode, int languages);

}  // namespace merl_asm
