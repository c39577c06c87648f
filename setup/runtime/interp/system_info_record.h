// The system-information record (opcode 21): one fact about the machine, chosen
// by the query code, into a script variable.
#pragma once

#include <string>

#include "interp/record.h"

namespace merl {

// The answer of query code for parameter; empty for a code without a fact or one that
// cannot be had.
std::string SystemInfoText(int code, const std::string& parameter);

// Empties the record's variable and fills it with the answer.
void QuerySystemInfo(const Record& record);

int SystemInfoRecord(const Record& record);

}  // namespace merl
