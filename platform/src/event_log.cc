// Event log sinks: one append-only text file per source, mirrored to syslog.
#include "platform/event_log.h"

#include <fcntl.h>
#include <syslog.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "platform/clock.h"
#include "platform/state_dir.h"

namespace platform {

namespace {
const char* typeName(int type) {
  switch (type) {
    case kEventError: return "error";
    case kEventWarning: return "warning";
    case kEventInformation: return "information";
    default: return "event";
  }
}

int syslogPriority(int type) {
  switch (type) {
    case kEventError: return LOG_ERR;
    case kEventWarning: return LOG_WARNING;
    default: return LOG_INFO;
  }
}
}  // namespace

std::string eventLogPath(const std::string& source) {
  return stateDirectory() + "/eventlog/" + source + ".log";
}

EventSource::EventSource(const std::string& name) : name_(name) {
  std::string path = eventLogPath(name);
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
}

EventSource::~EventSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool EventSource::report(int type, const std::string& text) {
  if (fd_ < 0) return false;
  std::string line = ctimeText(std::time(nullptr)) + "\t" + name_ + "\t" + typeName(type) + "\t";
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;
  line += '\n';
  bool ok = ::write(fd_, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::syslog(LOG_USER | syslogPriority(type), "%s: %s", name_.c_str(), text.c_str());
  return ok;
}

}  // namespace platform
