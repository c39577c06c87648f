// Stepping over the block that the current record opens.
#pragma once

namespace merl {

inline constexpr int kSkippedToClose = 0;
inline constexpr int kSkippedToEndMark = 1;

// From the record at the cursor, steps to the record that closes its block (an end, or an
// else at the block's own level): kSkippedToClose with the cursor on it, kSkippedToEndMark
// at the end mark. An invalid record on the way shows message 7 and gives kAbort.
int SkipBlock();

// SkipBlock as an else record does it: kNextRecord, kEndMark or kAbort.
int SkipAsElse();

}  // namespace merl
