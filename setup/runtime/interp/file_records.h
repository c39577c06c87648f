// Records on files: make directory, temporary file variable, rename, delete files.
#pragma once

#include "interp/record.h"

namespace merl {

int MakeDirectoryRecord(const Record& record);
int TempFileRecord(const Record& record);
int RenameRecord(const Record& record);
int DeleteFilesRecord(const Record& record);

}  // namespace merl
