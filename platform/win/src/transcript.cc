// Transcript lines: the fixed head (virtual time, program, event) and the
// event's fields, appended with one write so concurrent writers never interleave.
#include "win/transcript.h"

#include <fcntl.h>
#include <unistd.h>

#include "platform/files.h"
#include "win/machine.h"

namespace win {

Transcript::Transcript(const Machine& machine, std::string path) : machine_(machine), path_(std::move(path)) {}

std::string Transcript::line(std::string_view event, const JsonObject& fields) const {
  JsonObject head;
  head.add("t", machine_.clock().elapsedMs()).add("prog", machine_.programName()).add("ev", event);
  return head.append(fields).text();
}

bool Transcript::write(std::string_view event, const JsonObject& fields) const {
  if (!enabled()) return true;
  std::string text = line(event, fields) + "\n";
  int fd = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  bool ok = platform::writeAll(fd, text.data(), text.size());
  return ::close(fd) == 0 && ok;
}

}  // namespace win
