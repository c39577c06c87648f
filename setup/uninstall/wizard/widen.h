// Dialog widening: a dialog and each of its controls grow by a sixth of their
// left and right coordinates, and the controls get the one dialog font.
#pragma once

#include "win/types.h"

namespace remvex {

// Moves the dialog (screen coordinates), subclasses it for the dialog library with the new
// shell, makes the dialog font once and hands every child to WidenControlProc.
void WidenDialog(win::HWND dialog);
// Moves one control (its parent's client coordinates) and gives it the font (an HFONT).
win::BOOL WidenControlProc(win::HWND control, win::LPARAM font);
// left and right each grown by a sixth of their own value.
win::RECT Widened(const win::RECT& rect);
// The dialog font (null until a dialog made it), and its end.
win::HFONT DialogFont();
void FreeDialogFont();

}  // namespace remvex
