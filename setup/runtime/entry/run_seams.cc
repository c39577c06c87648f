// The entry's seams.
#include "entry/run_seams.h"

#include "constants.h"
#include "interp/abort_message.h"

namespace merl {

namespace {

constexpr int kFileMessage = 0;
constexpr int kFileNameMessage = 26;

int showFileError(const char* name, int kind) {
  ShowAbortMessage(kind ? kFileMessage : kFileNameMessage, name);
  return 1;
}

}  // namespace

RunSeams& runSeams() {
  static RunSeams seams = [] {
    RunSeams s;
    s.fileErrorMessage = showFileError;
    return s;
  }();
  return seams;
}

}  // namespace merl
