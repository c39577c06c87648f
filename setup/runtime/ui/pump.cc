// PumpMessages, GetChildRect and Ctl3dSubclassDialog.
#include "ui/pump.h"

#include "win/message.h"

namespace merl {

void PumpMessages() {
  win::MSG msg;
  while (win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) {
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

void GetChildRect(HWND dialog, int control, win::RECT* rect) {
  *rect = {};
  win::GetWindowRect(win::GetDlgItem(dialog, control), rect);
  win::MapWindowPoints(nullptr, dialog, reinterpret_cast<win::POINT*>(rect), 2);
}

void Ctl3dSubclassDialog(HWND dialog) {
  Ctl3dSubclassProc subclass = run().state<Ctl3dState>().subclass;
  if (subclass) subclass(dialog, kCtl3dSubclassFlags);
}

}  // namespace merl
