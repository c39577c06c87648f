// The install-file action: InstallFileRecord (opcodes 0 and 18) and InstallFile,
// which decides whether the destination is written, fills a working file next
// to it and puts that in place, with backups, counters and the log lines.
#pragma once

#include "interp/file_copy_record.h"
#include "interp/record.h"

namespace merl {

// The handler of opcodes 0 and 18: kNextRecord, or kAbort after its message.
int InstallFileRecord(const Record& record);

// Installs the file the record describes. kGoOn (also when the user aborted during the copy)
// or kAbort (the message was shown).
int InstallFile(const FileCopyRecord& record);

}  // namespace merl
