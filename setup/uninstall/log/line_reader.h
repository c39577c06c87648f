// The buffered line reader of the installation log: CR ends a line, every LF
// is dropped, empty lines are skipped unless asked for, and a read error ends
// the file. Lines are kept whole up to kLogLineLimit characters.
#pragma once

#include <cstdint>
#include <string>

#include "constants.h"
#include "win/files.h"

namespace remvex {

struct LogLine {
  std::string text;          // at most kLogLineLimit characters
  bool tooLong = false;      // the line had more characters (text holds its start)
  std::uint32_t offset = 0;  // file offset of the line's first character
};

class LogLineReader {
 public:
  explicit LogLineReader(win::HFILE file) : file_(file) {}
  // The next line; true when a CR ended it, false at the end of the file (the characters read
  // so far are still in line).
  bool next(LogLine& line, bool keepEmpty = false);

 private:
  int take();  // next byte, -1 at the end

  win::HFILE file_;
  char buffer_[kReadBufferSize] = {};
  std::uint32_t position_ = 0;
  std::uint32_t count_ = 0;
  std::uint32_t consumed_ = 0;  // bytes before the current buffer
  bool ended_ = false;
};

}  // namespace remvex
