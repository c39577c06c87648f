// The canonical text form of the reader's state: one "name: value" line per
// item, then each list as a header with its count and one line per record.
// Bytes outside printable ASCII are written as \xHH.
#pragma once

#include <string>

#include "log/item_lists.h"

namespace remvex {

std::string DumpLogState(const LogState& state);

}  // namespace remvex
