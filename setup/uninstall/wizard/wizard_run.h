// The wizard in a normal run: made modeless over the disabled main window
// once the log was read, pumped until Finish or Cancel unless the run is
// automatic, and destroyed after the uninstall.
#pragma once

#include <string>

#include "log/item_lists.h"
#include "win/types.h"
#include "wizard/wizard_state.h"

namespace remvex {

struct WizardSetup {
  win::HINSTANCE instance = nullptr;
  win::HWND owner = nullptr;  // the main window
  bool automatic = false, silent = false, newShell = true;
  bool* rollback = nullptr;   // the run's rollback flag
  bool dialogLibrary = false;
  SubclassDialogProc subclassDialog = nullptr;
  std::string iniPath;
};

// Opens the wizard over log (automatic: on the perform page) unless silent, and pumps until
// Finish or Cancel unless automatic. False when the user cancelled, or when an interactive
// run that is not automatic could not make the wizard.
bool RunWizard(const WizardSetup& setup, LogState& log);

// True once a Cancel was confirmed.
bool WizardCancelled();

// Destroys the wizard and its bitmap, fonts of the dialogs included.
void CloseWizard();

}  // namespace remvex
