// The run's log line writer: kept in the run's state, so it goes with the run.
#include "log/log_sink.h"

#include <utility>

#include "run.h"

namespace merl {

namespace {

struct LogSink : RunState {
  LogLineWriter writer;
};

}  // namespace

void setLogLineWriter(LogLineWriter writer) { run().state<LogSink>().writer = std::move(writer); }

void writeLogLine(std::string_view text) {
  const LogLineWriter& writer = run().state<LogSink>().writer;
  if (writer) writer(text);
}

}  // namespace merl
