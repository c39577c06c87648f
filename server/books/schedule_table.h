// The Schedule book of one sensor; its look-up traces on standard output.
#pragma once

#include "server/books/record_table.h"
#include "server/books/records.h"

namespace cvlm {

class ScheduleTable : public RecordTable<BSchedule, SCHEDULE_BOOK> {
 public:
  explicit ScheduleTable(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {}

  // As the family's getAt, but index -1 does nothing at all and any other
  // index prints "before: %d\n" (and "index: %d\n" when it exists) first.
  void getAt(int index, BSchedule& out) const;
};

}  // namespace cvlm
