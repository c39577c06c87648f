// Standard-output and standard-error writes, each text in one call.
#include "logserver/console_output.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace halvern {

namespace {
std::mutex captureMutex;
OutputCapture capture;

void write(bool toError, std::string_view text) {
  {
    std::lock_guard<std::mutex> lock(captureMutex);
    if (capture) {
      capture(toError, text);
      return;
    }
  }
  std::FILE* stream = toError ? stderr : stdout;
  std::fwrite(text.data(), 1, text.size(), stream);
}
}  // namespace

void putLine(std::string_view text) {
  std::string line(text);
  line += '\n';
  write(false, line);
}

void printText(std::string_view text) { write(false, text); }

void printError(std::string_view text) { write(true, text); }

void setOutputCapture(OutputCapture sink) {
  std::lock_guard<std::mutex> lock(captureMutex);
  capture = std::move(sink);
}

}  // namespace halvern
