// The line reader's buffer and position for the run, refilled from the file
// as lines are taken; a CR LF pair is one line end even across a refill.
#include "text/line_reader.h"

#include <memory>

#include "files/file_utils.h"
#include "run.h"

namespace merl {

namespace {

struct LineReader : RunState {
  std::unique_ptr<char[]> buffer = std::make_unique<char[]>(kLineBufferSize);
  DWORD fill = 0;
  DWORD position = 0;
  bool afterCr = false;  // the last line ended with a CR: an LF right after it belongs to it
  win::HANDLE file = win::INVALID_HANDLE_VALUE;

  void empty(win::HANDLE of) {
    fill = position = 0;
    afterCr = false;
    file = of;
  }
  // The next byte of the file (-1 at its end or on a read error).
  int next() {
    if (position == fill) {
      fill = FileRead(file, buffer.get(), kLineBufferSize);
      position = 0;
      if (fill == 0) return -1;
    }
    return static_cast<unsigned char>(buffer[position++]);
  }
  int peek() {
    int c = next();
    if (c >= 0) --position;
    return c;
  }
};

LineReader& reader(win::HANDLE file) {
  LineReader& r = run().state<LineReader>();
  if (r.file != file) r.empty(file);
  return r;
}

}  // namespace

void RewindLines(win::HANDLE file) {
  FileSeek(file, 0, win::FILE_BEGIN);
  run().state<LineReader>().empty(file);
}

void FetchLine(char* line, std::size_t length, win::HANDLE file) {
  if (length == 0) return;
  LineReader& r = reader(file);
  const std::size_t keep = length >= 2 ? length - 2 : 0;
  std::size_t stored = 0;
  if (r.afterCr && r.peek() == '\n') r.next();
  r.afterCr = false;
  bool ended = false;
  for (int c; (c = r.next()) >= 0;) {
    if (c == '\r' || c == '\n') {
      r.afterCr = c == '\r';
      ended = true;
      break;
    }
    if (stored < keep) line[stored++] = static_cast<char>(c);
  }
  if (ended && length >= 2) line[stored++] = '\n';
  line[stored] = '\0';
}

bool ReadLine(win::HANDLE file, char* line, std::size_t length) {
  FetchLine(line, length, file);
  const LineReader& r = run().state<LineReader>();
  return (length > 0 && line[0] != '\0') || r.position < r.fill;
}

}  // namespace merl
