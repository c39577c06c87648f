// The wait for a started program in 100 ms steps, with the messages of the
// runtime's thread dispatched before each step.
#include "system/wait_process.h"

#include "win/message.h"
#include "win/process.h"

namespace merl {

namespace {

void dispatchWaitingMessages() {
  win::MSG message{};
  while (win::PeekMessage(&message, nullptr, 0, 0, win::PM_REMOVE)) {
    win::TranslateMessage(&message);
    win::DispatchMessage(&message);
  }
}

}  // namespace

void WaitForProcess(win::HANDLE process) {
  for (;;) {
    dispatchWaitingMessages();
    if (win::WaitForSingleObject(process, kProcessWaitStepMs) != win::WAIT_TIMEOUT) return;
  }
}

}  // namespace merl
