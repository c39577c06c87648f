// The Program Manager's group list, asked over DDE for the group combo of a
// custom dialog.
#pragma once

#include <cstddef>

namespace merl {

// Empties buffer (size bytes, the run's work buffer) and, when the run has a DDE instance and
// Program Manager answers, fills it with the "GROUPS" item: group names separated by CR LF,
// cut to size - 1 and terminated.
void GetProgmanGroups(char* buffer, std::size_t size);

}  // namespace merl
