// The library call record: a function of an outside library or a numbered action of
// the runtime called with the action parameter block, its result deciding the block
// or loop that the record opens.
#pragma once

#include "interp/record.h"

namespace merl {

int LibraryCallRecord(const Record& record);

}  // namespace merl
