// The wizard's state: the page, the Finish flag and what it works on (the log's lists,
// the main window, the dialog library). The mode and the cancel flag its buttons set
// live in the run state, which the undo reads.
#pragma once

#include <cstdint>
#include <string>

#include "log/item_lists.h"
#include "run_state.h"
#include "win/types.h"

namespace remvex {

// Pages: 0 method, 1-10 list pages, 11 perform and progress, 12 rollback.
inline constexpr std::uint8_t kMethodPage = 0;
inline constexpr std::uint8_t kLastListPage = 10;
inline constexpr std::uint8_t kPerformPage = 11;
inline constexpr std::uint8_t kRollbackPage = 12;

using SubclassDialogProc = win::BOOL (*)(win::HWND, win::DWORD);

struct WizardState {
  std::uint8_t page = kMethodPage;
  bool finish = false;  // Finish pressed: the uninstall runs
  int itemCount = 0;    // lines in the list box of the current page
  win::RECT progress{};  // inside of control 3830, wizard client coordinates
  LogState* log = nullptr;
  bool* rollback = nullptr;  // the run's rollback flag
  win::HWND owner = nullptr;  // the main window
  win::HBITMAP bitmap = nullptr;
  bool dialogLibrary = false;  // the three-dimensional dialog library registered
  SubclassDialogProc subclassDialog = nullptr;  // its Ctl3dSubclassDlgEx, when present
  bool newShell = true;
  std::string iniPath;  // message overrides
};

// The one wizard state of the process.
WizardState& Wizard();

}  // namespace remvex
