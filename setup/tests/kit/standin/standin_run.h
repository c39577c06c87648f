// The state of the stand-in's one run that its callbacks and its main window
// share: the options, the setup record, the runtime's DiskPrompt and what the
// callbacks counted. The callbacks take no context of their own, so it is one
// object per process.
#pragma once

#include "merl/setup_interface.h"
#include "options.h"

namespace merl_standin {

using DiskPromptProc = win::INT (*)(win::INT atEnd, win::INT reopen);

struct StandinRun {
  StandinOptions options;
  merl::SetupRec record{};
  DiskPromptProc diskPrompt = nullptr;  // null when the runtime does not export it
  bool inCall = false;                  // MerlMain is running
  bool wmQuit = false;                  // WM_DESTROY posted WM_QUIT during the call
  win::DWORD copyCalls = 0;
  bool readErrorGiven = false;          // --read-error-at fails only once
};

// The process's run.
StandinRun& standinRun();

}  // namespace merl_standin
