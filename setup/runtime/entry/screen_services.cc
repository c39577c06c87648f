// PumpUntilTimer and the exports UpdateScreen and HandleFtp.
#include "entry/screen_services.h"

#include "constants.h"
#include "entry/copy_progress.h"
#include "entry/main_state.h"
#include "script/script_header.h"
#include "ui/pump.h"
#include "win/clock.h"
#include "win/library.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

// Dispatches the waiting messages, stopping early once the wait flag is clear.
void pumpWhileWaiting(const SetupRec& setup) {
  win::MSG msg;
  while (setup.waitFlag && win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

}  // namespace

void PumpUntilTimer(DWORD ms, bool wait) {
  Run* current = currentRun();
  SetupRec* setup = current ? current->setup() : nullptr;
  bool timed = wait && setup && setup->mainWindow && win::SetTimer(setup->mainWindow, kWaitTimerId, ms, nullptr) != 0;
  if (!timed) {
    PumpMessages();
    return;
  }
  setup->waitFlag = 1;
  const DWORD start = win::GetTickCount();
  pumpWhileWaiting(*setup);
  while (setup->waitFlag && win::GetTickCount() - start < ms + kTimerWaitGraceMs) {
    win::WaitMessage();
    pumpWhileWaiting(*setup);
  }
  win::KillTimer(setup->mainWindow, kWaitTimerId);
}

bool RunsFromFloppy(std::string_view modulePath) {
  if (modulePath.size() < 2 || modulePath[1] != ':') return false;
  char drive = modulePath[0];
  return drive == 'A' || drive == 'B' || drive == 'a' || drive == 'b';
}

bool PauseAllowed() {
  Run* current = currentRun();
  if (!current || !current->setup() || !scriptHeader().progressPause) return false;
  char module[win::MAX_PATH + 1] = {};
  win::GetModuleFileName(current->setup()->setupInstance, module, sizeof module);
  return !RunsFromFloppy(module);
}

namespace {

// The copy dialog's bar, widened by a pixel on each side, repainted without erasing.
void invalidateCopyBar(HWND dialog) {
  win::RECT bar{};
  GetChildRect(dialog, kCopyBarControl, &bar);
  bar.left -= 1, bar.top -= 1, bar.right += 1, bar.bottom += 1;
  win::InvalidateRect(dialog, &bar, win::FALSE);
}

}  // namespace

}  // namespace merl

extern "C" win::INT UpdateScreen(win::INT flag) {
  merl::Run* current = merl::currentRun();
  if (!current) return 0;
  merl::CopyProgressLink& progress = current->state<merl::CopyProgressLink>();
  if (merl::mainState().progress) {
    // The library's display is refreshed only while the copy progress shows.
    if (progress.showing) merl::ShowCopyProgress(nullptr);
  } else if (progress.copyDialog) {
    merl::invalidateCopyBar(progress.copyDialog);
  }
  merl::PumpUntilTimer(merl::kUpdateScreenPauseMs, flag != 0 && merl::PauseAllowed());
  return 0;
}

extern "C" win::INT HandleFtp(win::DWORD first, win::DWORD second, win::DWORD third) {
  merl::Run* current = merl::currentRun();
  // The library is freed at the end of the run; its functions go with it.
  merl::TransferControlProc control =
      current && merl::mainState().internetLibrary ? current->state<merl::TransferLink>().control : nullptr;
  return control ? control(first, second, third) : 0;
}
