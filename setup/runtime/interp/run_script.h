// RunScript: runs the script's records from the cursor until one ends the run of records.
#pragma once

namespace merl {

// kGoOn (call again), kEndMark, kAbort, kExit, or a handler's own nonzero result. kAbort at
// once when the abort flag or the error byte is set.
int RunScript();

}  // namespace merl
