// ItemDlg, the wizard's dialog procedure (dialog 106), and the page work it
// does: reading a page's choices, filling a page, showing one control.
#pragma once

#include "win/types.h"

namespace remvex {

win::INT_PTR ItemDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Stores the current page's choices: the mode, the rollback flag or the list selections.
void ReadPageSelection(win::HWND dialog);
// Shows the current page in the wizard.
void FillWizardPage();
// Enables and shows control id of the wizard, or disables and hides it.
void ShowDlgItem(int id, bool on);

}  // namespace remvex
