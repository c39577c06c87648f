// The assembler's layout report as the stand-in reads it: the sizes and
// offsets it puts into the setup record (missing keys are 0).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace merl_standin {

struct SetupLayout {
  std::uint32_t scriptLength = 0;
  std::array<std::uint32_t, 8> supportSizes{};  // support files 3..10
  std::uint32_t dialogBlockStoredSize = 0;
  std::uint32_t dialogBlockSize = 0;
  std::uint32_t onExit = 0;
  std::uint32_t onCancel = 0;
};

// The layout of a report's text; nullopt with *error when it is no JSON object or a key
// holds something other than a 32-bit unsigned number.
std::optional<SetupLayout> parseLayout(std::string_view text, std::string* error);

}  // namespace merl_standin
