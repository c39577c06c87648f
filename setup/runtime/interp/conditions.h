// Conditions of if and while records: CompareValues with its operators 0-15 and
// the ordered (version and date) comparison, and EvalCondition.
#pragma once

#include <string_view>

#include "interp/record.h"

namespace merl {

// -1, 0 or 1 as value orders before, equal to or after text.
int OrderedCompare(std::string_view value, std::string_view text);

// 1 when the condition of operator (0-15) on the variable's value and text holds, else 0.
int CompareValues(int op, std::string_view variable, std::string_view text);

// Runs an if or while record: kNextRecord (the body runs), or after skipping its block
// kNextRecord, kEndMark at the end mark, kAbort for an invalid record or a full loop stack.
int EvalCondition(const Record& record);

}  // namespace merl
