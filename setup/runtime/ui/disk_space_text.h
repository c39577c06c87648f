// The disk-space text of a custom dialog's plain text control: the free space
// of a path's drive less the selected components' sizes, or the size total,
// from a size list ("base names<TAB>terms", ended by DEL or the text's end).
#pragma once

#include <cstdint>

#include "constants.h"
#include "win/types.h"

namespace merl {

// Adds the base size and every size whose conditions hold to total (set, not added to) and
// returns the text just after the list's DEL or NUL. A condition is digits followed by
// letters, or a TAB-led term: variable (index = the digits) of the list holds one of the
// letters; an index beyond the names read is false.
const char* SumComponentSizes(const char* list, std::int64_t* total);

// Sets control's text to "%ld k" when it differs: with a size list in variableString, the
// free KB of the path after it (or of next when the list ended at its NUL) less the total,
// or without a path the total less the base; without a list, the free KB of next's path.
// Nothing is set without a list and without a path. True when the text changed.
bool UpdateDiskSpaceText(win::HWND control, const char* variableString, const char* next);

}  // namespace merl
