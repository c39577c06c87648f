// CTL3D32.DLL double: the five Ctl3d* calls, each logged. Ctl3dRegister returns
// [ctl3d] register (default 1); Ctl3dDlgFramePaint gives the default window
// handling's result; the others return 1.
#include "double_support.h"
#include "merl/outside_libraries.h"
#include "win/window.h"

namespace {

// Logs the call; its index among the calls of that name.
int logInstanceCall(const char* call, win::HINSTANCE instance) {
  int index = merl_doubles::callIndex("ctl3d", call);
  merl_doubles::logCall("ctl3d", call, win::JsonObject().add("instance", win::handleValue(instance)));
  return index;
}

}  // namespace

MERL_DOUBLE_DLLMAIN("ctl3d")

MERL_DOUBLE_EXPORT win::BOOL Ctl3dRegister(win::HINSTANCE instance) {
  int index = logInstanceCall("Ctl3dRegister", instance);
  return static_cast<win::BOOL>(merl_doubles::numberOf(merl_doubles::scripted("ctl3d", "register", index), 1));
}

MERL_DOUBLE_EXPORT win::BOOL Ctl3dUnregister(win::HINSTANCE instance) {
  logInstanceCall("Ctl3dUnregister", instance);
  return 1;
}

MERL_DOUBLE_EXPORT win::BOOL Ctl3dAutoSubclass(win::HINSTANCE instance) {
  logInstanceCall("Ctl3dAutoSubclass", instance);
  return 1;
}

MERL_DOUBLE_EXPORT win::LRESULT Ctl3dDlgFramePaint(win::HWND window, win::UINT message, win::WPARAM wParam,
                                                   win::LPARAM lParam) {
  merl_doubles::logCall("ctl3d", "Ctl3dDlgFramePaint",
                        win::JsonObject().add("hwnd", win::handleValue(window)).add("message", message));
  return win::DefWindowProc(window, message, wParam, lParam);
}

MERL_DOUBLE_EXPORT win::BOOL Ctl3dSubclassDlgEx(win::HWND dialog, win::DWORD flags) {
  merl_doubles::logCall("ctl3d", "Ctl3dSubclassDlgEx",
                        win::JsonObject().add("hwnd", win::handleValue(dialog)).add("flags", flags));
  return 1;
}

static_assert(std::is_same_v<decltype(&Ctl3dRegister), merl::Ctl3dInstanceProc>);
static_assert(std::is_same_v<decltype(&Ctl3dDlgFramePaint), merl::Ctl3dDlgFramePaintProc>);
static_assert(std::is_same_v<decltype(&Ctl3dSubclassDlgEx), merl::Ctl3dSubclassDlgExProc>);
