// The small records run in place: nothing, message box, blocks and loops, exit,
// remarks, and the log's text and control records.
#pragma once

#include "interp/record.h"

namespace merl {

int NothingRecord(const Record& record);
int MessageBoxRecord(const Record& record);
int EndRecord(const Record& record);
int IfRecord(const Record& record);
int ElseRecord(const Record& record);
int ExitRecord(const Record& record);
int RemarkRecord(const Record& record);
int LogTextRecord(const Record& record);
int LogControlRecord(const Record& record);

}  // namespace merl
