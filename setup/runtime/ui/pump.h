// Small window routines every dialog of the runtime uses.
#pragma once

#include "run.h"
#include "win/window.h"

namespace merl {

// Removes and dispatches every waiting message of the thread.
void PumpMessages();

// The control's window rectangle in the dialog's client coordinates.
void GetChildRect(HWND dialog, int control, win::RECT* rect);

// CTL3D's Ctl3dSubclassDlgEx, when the run loaded CTL3D.
using Ctl3dSubclassProc = win::BOOL (*)(HWND dialog, DWORD flags);
struct Ctl3dState : RunState {
  Ctl3dSubclassProc subclass = nullptr;
};
inline constexpr DWORD kCtl3dSubclassFlags = 0x38;

void Ctl3dSubclassDialog(HWND dialog);

}  // namespace merl
