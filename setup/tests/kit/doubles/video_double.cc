// MSVFW32.DLL double: "MCIWndCreateA" logs its arguments and makes a child
// window of its own class whose procedure logs every message from WM_USER up
// (MCI_PLAY among them); [video] fail = 1 makes it return null.
#include "double_support.h"
#include "merl/outside_libraries.h"
#include "win/window.h"

namespace {

constexpr const char* kVideoClass = "MCIWndClass";

win::LRESULT videoWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (message >= win::WM_USER)
    merl_doubles::logCall("video", "message", win::JsonObject()
                                                  .add("hwnd", win::handleValue(window))
                                                  .add("message", message)
                                                  .add("wparam", wParam)
                                                  .add("lparam", lParam));
  return win::DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

MERL_DOUBLE_DLLMAIN("video")

MERL_DOUBLE_EXPORT win::HWND MCIWndCreateA(win::HWND parent, win::HINSTANCE instance, win::DWORD style,
                                           win::LPCSTR file) {
  using namespace merl_doubles;
  int index = callIndex("video", "MCIWndCreateA");
  win::HWND window = nullptr;
  if (numberOf(scripted("video", "fail", index), 0) == 0) {
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = videoWindowProc;
    wc.lpszClassName = kVideoClass;
    win::RegisterClass(&wc);  // already registered by an earlier call: fine
    window = win::CreateWindowEx(0, kVideoClass, file, style, 0, 0, 160, 120, parent, nullptr, instance, nullptr);
  }
  logCall("video", "MCIWndCreateA", win::JsonObject()
                                        .add("parent", win::handleValue(parent))
                                        .add("instance", win::handleValue(instance))
                                        .add("style", style)
                                        .add("file", textOf(file))
                                        .add("hwnd", win::handleValue(window)));
  return window;
}

static_assert(std::is_same_v<decltype(&MCIWndCreateA), merl::VideoWindowCreateProc>);
