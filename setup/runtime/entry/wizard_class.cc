// "QDTXWizard": plain DefWindowProc until the wizard frame brings its own procedure.
#include "entry/wizard_class.h"

#include "entry/dll_main.h"
#include "win/gdi.h"
#include "win/window.h"

namespace merl {

void RegisterWizardClass() {
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = win::DefWindowProc;
  wc.hInstance = ownModule();
  wc.hbrBackground = win::handleFromValue<win::HBRUSH>(win::COLOR_BTNFACE + 1);
  wc.lpszClassName = kWizardClassName;
  win::RegisterClass(&wc);
}

}  // namespace merl
