// Event log in place of the system event log: each source writes readable
// lines "time<TAB>source<TAB>type<TAB>text" to <state>/eventlog/<source>.log
// and mirrors them to syslog.
#pragma once

#include <string>

namespace platform {

enum EventType : int {
  kEventError = 1,
  kEventWarning = 2,
  kEventInformation = 4,
};

// A handle on an opened event source; invalid when the sink cannot be opened.
class EventSource {
 public:
  explicit EventSource(const std::string& name);
  ~EventSource();
  EventSource(const EventSource&) = delete;
  EventSource& operator=(const EventSource&) = delete;

  bool valid() const { return fd_ >= 0; }
  // One event with one insertion string. False when nothing was written.
  bool report(int type, const std::string& text);

 private:
  std::string name_;
  int fd_ = -1;
};

// Path of a source's sink file.
std::string eventLogPath(const std::string& source);

}  // namespace platform
