// Schedule look-up with its trace lines.
#include "server/books/schedule_table.h"

#include <cstdio>

namespace cvlm {

void ScheduleTable::getAt(int index, BSchedule& out) const {
  if (index == -1) return;
  std::printf("before: %d\n", index);
  if (!exists(index)) return;
  std::printf("index: %d\n", index);
  RecordTable::getAt(index, out);
}

}  // namespace cvlm
