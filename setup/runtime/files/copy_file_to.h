// Copying one file to another with progress, checksum and size: CopyFileTo.
// The append form adds the source to the target's end and never loses what the
// target held before.
#pragma once

#include "constants.h"
#include "win/types.h"

namespace merl {

// Results of CopyFileTo.
inline constexpr int kCopyDone = 0;
inline constexpr int kCopyNoSource = 1;    // the source cannot be opened, or the target not created
inline constexpr int kCopyNoTarget = 2;    // the target exists but cannot be opened for writing
inline constexpr int kCopyFailed = 3;      // a read or write failed or the run was aborted mid-copy

// Copies the file at source to target, whose directory levels are made first; a null target
// is source's numbered backup name in %BACKUPDIR% (files/backups.h). nameOut (256 bytes), when
// given, receives the target's name. budget bytes of progress are added to the setup record's
// bytes done. With append the source goes to the end of an existing target (a missing one is
// created); a failed append cuts the target back to its old length, while a failed plain copy
// deletes the target. A read error gives kCopyNoSource. checksum and size, when given, receive
// the copied data's checksum (through the setup record's callback) and length.
int CopyFileTo(const char* source, const char* target, char* nameOut, win::DWORD budget, bool append,
               win::DWORD* checksum, win::DWORD* size);

}  // namespace merl
