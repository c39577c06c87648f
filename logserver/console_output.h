// The lines the log server writes on its standard output and error, in one
// place so that tests can capture them.
#pragma once

#include <functional>
#include <string_view>

namespace halvern {

// Like puts: the text and a newline on the standard output.
void putLine(std::string_view text);
// Like printf("%s"): the text as it is on the standard output.
void printText(std::string_view text);
// The text as it is on the standard error stream.
void printError(std::string_view text);

// Test seam: while set, output goes to the capture instead (toError tells
// the stream). An empty function restores the real streams.
using OutputCapture = std::function<void(bool toError, std::string_view text)>;
void setOutputCapture(OutputCapture capture);

}  // namespace halvern
