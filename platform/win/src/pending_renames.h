// The pending-restart store <state>/pending-renames.txt: the renames and
// deletes MoveFileEx put off until the next restart, one a line in call order.
#pragma once

#include <string>

#include "win/types.h"

namespace win::files {

// Appends "flags<TAB>source<TAB>target" (an empty target deletes at restart); false when the
// store cannot be written.
bool appendPendingRename(DWORD flags, const std::string& source, const std::string& target);

}  // namespace win::files
