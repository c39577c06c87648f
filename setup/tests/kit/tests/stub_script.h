// The small script the stand-in tests run against the stub runtime: one
// record, an on-exit label, support files 4 and 10, a dialog block and one data
// item of 16 bytes behind a 16-byte prefix.
#pragma once

#include <string>

namespace merl_kit_tests {

inline const std::string kStubScript = R"(
header {
  language { name = "English" title = "Demo" }
}
install_file {
  data_offset = 16
  support 4 = hex("01 02 03")
  support 10 = hex("aa bb")
  dialog_block = hex("00 01 02 03 04")
  dialog_block_size = 9
  data digits = text("0123456789ABCDEF")
}
on_exit = finish
on_cancel = 0x20
log text="x"
finish: end
)";

// The data item's size.
inline constexpr unsigned kDigitsSize = 16;

}  // namespace merl_kit_tests
