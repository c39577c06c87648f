// The execute record: starts a program, waiting for it with flag 0x02.
#pragma once

#include "interp/record.h"

namespace merl {

int ExecuteRecord(const Record& record);

}  // namespace merl
