// The installation file as start-up reads it: an optional prefix, support
// files 3 to 10 in number order, the disk-prompt dialog block, then the data
// items whose offsets install-file and other records carry.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "constants.h"
#include "field_values.h"

namespace merl_asm {

inline constexpr int kFirstSupportFile = 3;
inline constexpr int kLastSupportFile = 10;

struct DataItem {
  std::string name;
  std::uint32_t start = 0;  // relative to the data base offset
  std::uint32_t end = 0;
};

struct InstallFile {
  Bytes bytes;
  std::uint32_t dataOffset = 0;  // prefix bytes before support file 3
  std::array<std::uint32_t, kLastSupportFile - kFirstSupportFile + 1> supportSizes{};
  std::uint32_t dialogBlockStoredSize = 0;
  std::uint32_t dialogBlockSize = 0;  // in memory
  std::uint32_t dataBase = 0;         // file offset of the first data item
  std::vector<DataItem> data;

  const DataItem* find(std::string_view name) const;
};

// Builds the file from the fields of an "install_file { ... }" block; named
// files are taken relative to baseDir unless absolute.
InstallFile buildInstallFile(const std::vector<Field>& fields, const std::string& baseDir);

}  // namespace merl_asm
