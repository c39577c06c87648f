// Plain access to the installation file through the setup program: positioning
// at the record's read offset and copying through its copy callback.
#pragma once

#include "run.h"

namespace merl {

// Puts the installation file's pointer at read offset minus disk base offset when that lies
// inside the open file; otherwise at its end.
void SeekInstallFile();

// Copies count bytes from source into destination (null: into the setup record's copy
// destination memory) through the copy callback; context is the record checksum's address
// or null. A read error before the message table exists shows "Internal Error". False when
// the error byte or the abort flag is set afterwards.
bool ReadFromInstallFile(HANDLE source, HANDLE destination, DWORD count, void* context = nullptr);

}  // namespace merl
