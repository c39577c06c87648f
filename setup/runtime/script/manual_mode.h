// The manual-mode questions: one path prompt for each of %WIN%, %SYS%, %SYS32%,
// %TEMP% and %INST%, proposing the current value.
#pragma once

namespace merl {

// Asks each directory in turn; an answer is stored and its directory levels made.
// kGoOn, or kAbort when a question is cancelled.
int AskManualDirectories();

}  // namespace merl
