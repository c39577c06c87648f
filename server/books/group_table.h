// The Group book of one sensor (address groups with their address counts).
#pragma once

#include "server/books/record_table.h"
#include "server/books/records.h"

namespace cvlm {

class GroupTable : public RecordTable<BGroup, GROUP_BOOK> {
 public:
  explicit GroupTable(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {}
};

}  // namespace cvlm
