// The question for a file that is in use: try again, stop the run, or go on
// without it (its log line then says it was not copied).
#pragma once

#include "log/install_log.h"

namespace merl {

// Results of AskRetryFile.
inline constexpr int kRetryFile = 1;
inline constexpr int kGoOnWithoutFile = 0;

inline constexpr int kInUseMessage = 22;
inline constexpr int kInUseTitle = 17;
inline constexpr win::BYTE kInUseFlags = 65;  // two choices, the alternative buttons

// Asks about path when failed, unless the abort flag is set or restart support is on.
// kRetryFile for the retry button; the first button sets the abort flag and keeps the question
// as the last error; Cancel marks record (when given) as in use, not copied.
int AskRetryFile(const char* path, bool failed, LogRecord* record);

}  // namespace merl
