// The install-file action: InstallFileRecord (opcodes 0 and 18) and InstallFile,
// which decides whether the destination is written, fills a working file next
// to it and puts that in place, with backups, counters and the log lines.
#pragma once

#include <cstddef>
#include <string>

#include "interp/file_copy_record.h"
#include "interp/record.h"

namespace merl {

// The handler of opcodes 0 and 18: kNextRecord, or kAbort after its message.
int InstallFileRecord(const Record& record);

// Installs the file the record describes. kGoOn (also when the user aborted during the copy)
// or kAbort (the message was shown).
int InstallFile(const FileCopyRecord& record);

// Installs every file pattern matches (with flags B 0x01 also below its subdirectories), each
// through a copy of record whose destination is record's followed by the found path after
// baseLength characters. An empty source directory is made at the destination. 0 or the
// first non-zero result.
int InstallDirectoryTree(const FileCopyRecord& record, const std::string& pattern, std::size_t baseLength);

}  // namespace merl
