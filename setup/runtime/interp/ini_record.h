// The INI record: items of a section written, deleted, or the whole section deleted.
#pragma once

#include "interp/record.h"

namespace merl {

int IniRecord(const Record& record);

}  // namespace merl
