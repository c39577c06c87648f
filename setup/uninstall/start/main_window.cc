#include "start/main_window.h"

#include "win/message.h"
#include "win/window.h"

namespace remvex {

namespace {

constexpr const char* kClassName = "Remvex32Main";

win::LRESULT mainProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  switch (message) {
    case win::WM_TIMER:
      WaitFlag() = false;
      return 0;
    case win::WM_DESTROY:
      win::PostQuitMessage(0);
      return 0;
    default:
      return win::DefWindowProc(window, message, wParam, lParam);
  }
}

}  // namespace

bool& WaitFlag() {
  static bool wait = false;
  return wait;
}

win::HWND CreateMainWindow(win::HINSTANCE instance, const std::string& title) {
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = mainProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClassName;
  if (!win::RegisterClass(&wc)) return nullptr;
  return win::CreateWindowEx(0, kClassName, title.c_str(), win::WS_OVERLAPPEDWINDOW, win::CW_USEDEFAULT,
                             win::CW_USEDEFAULT, win::CW_USEDEFAULT, win::CW_USEDEFAULT, nullptr, nullptr, instance,
                             nullptr);
}

void WaitOnTimer(win::HWND window, unsigned id, unsigned ms) {
  WaitFlag() = true;
  if (!win::SetTimer(window, id, ms, nullptr)) WaitFlag() = false;
  win::MSG msg{};
  while (WaitFlag()) {
    if (!win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) continue;
    if (msg.message == win::WM_QUIT) break;
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
  win::KillTimer(window, id);
}

void EndMainWindow(win::HWND window) {
  if (!window) return;
  win::DestroyWindow(window);
  win::MSG msg{};
  while (win::GetMessage(&msg, nullptr, 0, 0) > 0) {
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

}  // namespace remvex
