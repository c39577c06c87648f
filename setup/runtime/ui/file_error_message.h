// FileErrorMessage: the abort message for a file that cannot be made or written,
// script message 0 or 26 formatted with the file's name.
#pragma once

#include <string_view>

namespace merl {

inline constexpr int kFileErrorMessage = 0;
inline constexpr int kFileErrorLongNameMessage = 26;

// Kind nonzero: message 0 with name. Kind 0: message 26 with name made absolute in its long
// on-disk form (as written when that fails). Shown through AbortMessage; returns 1. Before the
// message table exists the text is the name alone.
int FileErrorMessage(std::string_view name, int kind);

}  // namespace merl
