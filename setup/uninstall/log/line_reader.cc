#include "log/line_reader.h"

namespace remvex {

int LogLineReader::take() {
  if (position_ == count_) {
    if (ended_) return -1;
    consumed_ += count_;
    position_ = count_ = 0;
    win::UINT n = win::_lread(file_, buffer_, sizeof buffer_);
    if (n == 0 || n == static_cast<win::UINT>(win::HFILE_ERROR) || n > sizeof buffer_) {
      ended_ = true;
      return -1;
    }
    count_ = n;
  }
  return static_cast<unsigned char>(buffer_[position_++]);
}

bool LogLineReader::next(LogLine& line, bool keepEmpty) {
  line = LogLine{};
  std::size_t length = 0;  // characters of the line, kept or not
  for (;;) {
    int c = take();
    if (c < 0) return false;
    if (c == '\n') continue;
    if (c == '\r') {
      if (length == 0 && !keepEmpty) continue;
      return true;
    }
    if (length == 0) line.offset = consumed_ + position_ - 1;
    ++length;
    if (line.text.size() < kLogLineLimit)
      line.text += static_cast<char>(c);
    else
      line.tooLong = true;
  }
}

}  // namespace remvex
