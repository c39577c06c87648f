// The registry record (opcode 10): writes a value or creates a key and logs the
// "RegDB" line group with the old value, or removes a key tree or one value.
#pragma once

#include "interp/record.h"

namespace merl {

// Runs a registry record: 0 to go on, 1 when the write failed (message 44 was shown).
int EditRegistry(const Record& record);

// The record's handler: kNextRecord, or kAbort after a failed write.
int RegistryRecord(const Record& record);

}  // namespace merl
