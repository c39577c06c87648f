// The transcript: one JSON line per event, {"t":<virtual ms>,"prog":"SETUP.EXE",
// "ev":"<kind>",...}, appended to the host file named by [ui] transcript with one
// write per line, so several processes can share it. No pids, real times or addresses.
#pragma once

#include <string>
#include <string_view>

#include "win/json.h"

namespace win {

class Machine;

class Transcript {
 public:
  // The transcript of machine, written to path ("" = none).
  Transcript(const Machine& machine, std::string path);

  // True when a transcript file is configured.
  bool enabled() const { return !path_.empty(); }
  // Appends one event line with the given fields; false when it could not be written.
  bool write(std::string_view event, const JsonObject& fields = JsonObject()) const;
  // The line write() would append, without its line end.
  std::string line(std::string_view event, const JsonObject& fields) const;

 private:
  const Machine& machine_;
  std::string path_;
};

}  // namespace win
