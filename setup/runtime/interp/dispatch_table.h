// The record handlers by opcode. A handler returns kNextRecord to go on with the next
// record, or a result RunScript returns at once. An opcode without a handler is invalid.
#pragma once

#include "interp/record.h"

namespace merl {

using RecordHandler = int (*)(const Record& record);

struct DispatchEntry {
  RecordHandler handler = nullptr;
  bool skippedInTest = false;  // the record changes the machine: nothing happens in test state
};

// The entry of opcode (0-31); an empty entry for any other opcode.
DispatchEntry dispatchEntry(int opcode);

// Runs the record at the cursor through its entry (message 7 and kAbort without a handler).
int DispatchRecord(const Record& record);

}  // namespace merl
