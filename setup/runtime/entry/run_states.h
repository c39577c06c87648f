// The run of the script in states 0 to 2: the header, the log, the records and the
// script's on-exit and on-cancel sections.
#pragma once

namespace merl {

// Reads the header, opens the log and runs the records; the run's result (0, kEndMark,
// kAbort or a record's own result). The on-exit section follows an end (-1 or -4), the
// on-cancel section a cancel (-2); each runs at most once.
int RunInstallation();

}  // namespace merl
