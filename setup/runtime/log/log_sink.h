// The seam between the routines that log a line (LogMadeDir ...) and the
// installation log writer: the run's line writer, which the log writer
// installs as its LogLine when it opens the log (tests install a capturing one).
#pragma once

#include <functional>
#include <string_view>

namespace merl {

// Writes one log line: the text followed by CR LF, while the log is open and not suspended.
using LogLineWriter = std::function<void(std::string_view text)>;

// Installs the current run's line writer; an empty function removes it.
void setLogLineWriter(LogLineWriter writer);

// Hands text to the current run's line writer; nothing is written without one.
void writeLogLine(std::string_view text);

}  // namespace merl
