// The entry's seams and its own timed wait.
#include "entry/run_seams.h"

#include "constants.h"
#include "interp/seams.h"
#include "ui/pump.h"
#include "win/message.h"

namespace merl {

namespace {

constexpr int kFileMessage = 0;
constexpr int kFileNameMessage = 26;

}  // namespace

namespace {

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

void PumpUntilTimer(DWORD milliseconds, bool wait) {
  if (runSeams().pumpUntilTimer) {
    runSeams().pumpUntilTimer(milliseconds, wait);
    return;
  }
  SetupRec* setup = run().setup();
  if (!setup) return;
  HWND window = setup->mainWindow;
  // Without a timer nothing would ever clear the flag: one pass and no wait.
  if (wait && win::SetTimer(window, kWaitTimerId, milliseconds, nullptr) == 0) wait = false;
  if (wait) setup->waitFlag = 1;
  PumpMessages();
  for (int pass = 0; wait && setup->waitFlag && pass < kMaxWaitPasses; ++pass) {
    win::WaitMessage();
    PumpMessages();
  }
  if (wait) win::KillTimer(window, kWaitTimerId);
}

}  // namespace merl
