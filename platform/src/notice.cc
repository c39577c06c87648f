// Operator notices: standard error by default, replaceable sinks.
#include "platform/notice.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/event_log.h"

namespace platform {

namespace {
std::mutex sinkMutex;
NoticeSink currentSink;
}  // namespace

void showNotice(const std::string& title, const std::string& text) {
  NoticeSink sink;
  {
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink = currentSink;
  }
  if (sink) {
    sink(title, text);
    return;
  }
  std::string line = "[" + title + "] " + text + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

NoticeSink setNoticeSink(NoticeSink sink) {
  std::lock_guard<std::mutex> lock(sinkMutex);
  NoticeSink previous = std::move(currentSink);
  currentSink = std::move(sink);
  return previous;
}

NoticeSink eventLogNoticeSink(const std::string& source) {
  return [source](const std::string& title, const std::string& text) {
    EventSource es(source);
    es.report(kEventInformation, title + ": " + text);
  };
}

std::string systemErrorText(int error) {
  char buffer[256];
  // GNU strerror_r returns the text, which may not be in buffer.
  const char* text = strerror_r(error, buffer, sizeof buffer);
  return text ? text : "";
}

}  // namespace platform
