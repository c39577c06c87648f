// Numbered backup names in the backup directory (%BACKUPDIR%): the file's own
// name first, then its extension replaced by .001 up to .999.
#pragma once

namespace merl {

// The highest backup number; it is reused when every number up to it exists.
inline constexpr int kLastBackupNumber = 999;

// Fills out (256 bytes) with the backup name of source in %BACKUPDIR%. False, out emptied, when
// the backup directory is empty or the name would pass 255 characters.
bool MakeBackupName(char* out, const char* source);

}  // namespace merl
