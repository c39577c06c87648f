// The end of the run: the final message and log line, closing down, the
// restart answer, and freeing what the run made.
#pragma once

namespace merl {

// Ends the run with result; fills the exit code and the program and arguments buffers.
// Returns MerlMain's result: 0 for result 0, else 1.
int EndRun(int result, int* exitCode, char* program, char* arguments);

// Frees what start-up made (support files, libraries, CTL3D, the dialog block), for both
// ends of a run.
void ReleaseStartUp();

}  // namespace merl
