// The Address book of one sensor: positional look-up and look-up by name.
#pragma once

#include <string_view>

#include "server/books/record_table.h"
#include "server/books/records.h"

namespace cvlm {

class AddressTable : public RecordTable<BAddress, ADDRESS_BOOK> {
 public:
  explicit AddressTable(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {}

  // 0-based position of the first entry whose name equals name exactly
  // (case-sensitive); -1 when there is none.
  std::int32_t indexOf(std::string_view name) const;
};

}  // namespace cvlm
