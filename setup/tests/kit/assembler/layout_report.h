// The layout report: sizes and offsets the setup-program stand-in fills
// its setup record from, and the label offsets tests look up.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "install_file.h"

namespace merl_asm {

struct CodeLabel {
  std::string name;
  std::uint32_t offset = 0;  // in the image
};

struct Layout {
  std::uint32_t scriptLength = 0;
  int languageCount = 0;  // 0 without a header
  std::array<std::uint32_t, kLastSupportFile - kFirstSupportFile + 1> supportSizes{};
  std::uint32_t dialogBlockStoredSize = 0;
  std::uint32_t dialogBlockSize = 0;
  std::uint32_t onExit = 0;
  std::uint32_t onCancel = 0;
  std::uint32_t dataOffset = 0;
  std::uint32_t dataBase = 0;
  std::vector<DataItem> data;
  std::vector<CodeLabel> labels;
};

// One JSON object, keys in a fixed order, ending with a line end.
std::string layoutJson(const Layout& layout);

}  // namespace merl_asm
