// One script record as its handler sees it: its opcode and flag byte (which loops
// change in the image), its plain strings and the current language's strings.
#pragma once

#include <string>
#include <string_view>

#include "interp/cursor.h"
#include "interp/interp_constants.h"
#include "script/script_image.h"

namespace merl {

// Handler results besides RunScript's: go on with the next record.
inline constexpr int kNextRecord = 1 << 30;

class Record {
 public:
  Record(const ScriptImage& image, DWORD at, int languages, int language)
      : image_(image), at_(at), languages_(languages), language_(language) {}

  DWORD at() const { return at_; }
  int opcode() const { return image_.opcodeAt(at_); }
  // Byte i of the fixed part (1 = the flag byte).
  BYTE byte(int i) const { return image_.data()[at_ + i]; }
  // Writes the flag byte in the run's image.
  void setFlags(BYTE flags) const;
  BYTE flags() const { return byte(1); }
  // Signed 16-bit field at fixed offset i.
  int int16(int i) const { return static_cast<short>(byte(i) | (byte(i + 1) << 8)); }

  // Plain string i of the record (0-based).
  std::string_view string(int i) const;
  // Language string i of the current language's group.
  std::string_view languageString(int i) const;

 private:
  const ScriptImage& image_;
  DWORD at_;
  int languages_;
  int language_;
};

// A record text expanded into a buffer of limit bytes.
std::string expanded(std::string_view text, std::size_t limit);

}  // namespace merl
