// The main window's procedure and creation.
#include "main_window.h"

#include "constants.h"
#include "standin_run.h"
#include "win/library.h"
#include "win/window.h"

namespace merl_standin {

namespace {

win::LRESULT mainWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  StandinRun& run = standinRun();
  if (message == win::WM_TIMER && wParam == kWaitTimerId) {
    run.record.waitFlag = 0;
    return 0;
  }
  if (message == win::WM_DESTROY) {
    win::PostQuitMessage(0);
    if (run.inCall) run.wmQuit = true;
    return 0;
  }
  return win::DefWindowProc(window, message, wParam, lParam);
}

}  // namespace

win::HWND createMainWindow(int width, int height) {
  win::HINSTANCE instance = win::GetModuleHandle(nullptr);
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kMainWindowClass;
  if (!win::RegisterClass(&wc)) return nullptr;
  return win::CreateWindowEx(0, kMainWindowClass, kMainWindowTitle, win::WS_POPUP | win::WS_VISIBLE, 0, 0, width,
                             height, nullptr, nullptr, instance, nullptr);
}

}  // namespace merl_standin
