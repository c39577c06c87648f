// The script image as a bounded view, the opcode size tables, and stepping:
// NextRecord over one record, NextScriptString over one string, SkipToLanguage
// to the current language's group. No read goes past the end mark at "length".
#pragma once

#include <string_view>

#include "run.h"

namespace merl {

inline constexpr int kOpcodeCount = 32;        // opcodes with table entries
inline constexpr int kEndMarkOpcode = 0x3F;    // '?', also stored at offset "length"
inline constexpr int kBitmapOpcode = 6;        // followed by 12 bytes per further language
inline constexpr DWORD kBitmapLanguageBytes = 12;

// Fixed part (opcode byte included), strings, and strings per language, by opcode.
// A fixed size of 0 marks an invalid opcode.
extern const BYTE kRecordSize[kOpcodeCount];
extern const BYTE kRecordStrings[kOpcodeCount];
extern const BYTE kLanguageStrings[kOpcodeCount];

// The image: bytes 0 .. length - 1 hold the header and records, byte "length" the
// end mark; nothing past it is ever read.
class ScriptImage {
 public:
  // data must hold length + 1 bytes; null data is an empty image with nothing readable.
  // (A length of 0xFFFFFFFF leaves no room for the end mark's offset and is taken one shorter.)
  ScriptImage(const BYTE* data, DWORD length) : data_(data), length_(length == 0xFFFFFFFFu ? length - 1 : length) {}
  // The current run's image.
  static ScriptImage of(const Run& run) { return ScriptImage(run.scriptImage, run.scriptLength); }

  const BYTE* data() const { return data_; }
  DWORD length() const { return length_; }
  // True when position lies past the end mark (a read ran off the image).
  bool ranOff(DWORD position) const { return !data_ || position > length_; }
  // The opcode at position, read as a signed byte; only for positions that did not run off.
  int opcodeAt(DWORD position) const { return static_cast<signed char>(data_[position]); }

 private:
  const BYTE* data_;
  DWORD length_;
};

// Opcodes 0..31 with a fixed size, and the end mark.
bool isValidOpcode(int opcode);

// Moves position past the record that starts there, for a script of `languages`
// languages. False (position unchanged) when the record is invalid: an opcode
// without a size, or a record that does not end before the image's end mark
// (which includes stepping over the end mark at "length" itself).
[[nodiscard]] bool NextRecord(const ScriptImage& image, DWORD& position, int languages);

// The string at position, its NUL left out; position moves past the NUL. A string
// with no NUL before the image's end is cut there and position ends past the end
// mark (ranOff), where every further string is empty.
std::string_view NextScriptString(const ScriptImage& image, DWORD& position);

// Moves position past k x language strings, to language's group of k strings.
// False when that ran off the image.
bool SkipToLanguage(const ScriptImage& image, DWORD& position, int k, int language);

}  // namespace merl
