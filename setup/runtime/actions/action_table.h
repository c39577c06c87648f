// The runtime's own exports that a library call with flag 0x08 reaches: the
// numbered actions "f<number>", found by their exact name.
#pragma once

#include <string_view>

#include "merl/setup_interface.h"

namespace merl {

// The numbered action exported under name; null when there is none.
NumberedAction FindOwnExport(std::string_view name);

}  // namespace merl
