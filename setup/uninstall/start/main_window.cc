#include "start/main_window.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "constants.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/show_commands.h"
#include "win/system.h"
#include "win/window.h"

namespace remvex {

namespace {

win::HWND& mainWindow() {
  static win::HWND window = nullptr;
  return window;
}

win::COLORREF bandColour(int b) {
  const ScreenFacts& s = Screen();
  return win::RGB(static_cast<win::BYTE>(BandChannel(s.start.red, s.delta.red, b)),
                  static_cast<win::BYTE>(BandChannel(s.start.green, s.delta.green, b)),
                  static_cast<win::BYTE>(BandChannel(s.start.blue, s.delta.blue, b)));
}

void makePalette(win::HDC screen) {
  std::vector<unsigned char> bytes(sizeof(win::LOGPALETTE) + (kGradientBands - 1) * sizeof(win::PALETTEENTRY));
  auto* palette = reinterpret_cast<win::LOGPALETTE*>(bytes.data());
  palette->palVersion = 0x300;
  palette->palNumEntries = kGradientBands;
  for (int i = 0; i < kGradientBands; ++i) {
    const win::COLORREF c = bandColour(i);
    palette->palPalEntry[i] = {win::GetRValue(c), win::GetGValue(c), win::GetBValue(c), 0};
  }
  win::HPALETTE made = win::CreatePalette(palette);
  if (!made) return;
  win::SelectPalette(screen, made, win::FALSE);
  win::RealizePalette(screen);
  if (Screen().palette) win::DeleteObject(Screen().palette);
  Screen().palette = made;
}

void paintGradient(win::HWND window) {
  win::PAINTSTRUCT paint{};
  win::HDC dc = win::BeginPaint(window, &paint);
  if (!dc) return;
  win::RECT client{};
  win::GetClientRect(window, &client);
  const win::HPALETTE palette = Screen().palette;
  win::HPALETTE previous = nullptr;
  if (palette) {
    previous = win::SelectPalette(dc, palette, win::FALSE);
    win::RealizePalette(dc);
  }
  for (int b = 0; b < kGradientBands; ++b) {
    const int top = BandTop(client.bottom, b);
    const win::COLORREF colour =
        palette ? win::PALETTEINDEX(static_cast<win::WORD>(b)) : bandColour(b);
    win::HBRUSH brush = win::CreateSolidBrush(colour);
    win::HGDIOBJ old = win::SelectObject(dc, brush);
    win::PatBlt(dc, 0, top, client.right, BandBottom(client.bottom, b) - top, win::PATCOPY);
    win::SelectObject(dc, old);
    win::DeleteObject(brush);
  }
  if (palette && previous) win::SelectPalette(dc, previous, win::FALSE);
  win::EndPaint(window, &paint);
}

// WM_QUERYNEWPALETTE and WM_PALETTECHANGED: the entries the palette changed.
win::LRESULT realizeFor(win::HWND window) {
  const win::HPALETTE palette = Screen().palette;
  if (!palette) return 0;
  win::HDC dc = win::GetDC(window);
  if (!dc) return 0;
  win::HPALETTE previous = win::SelectPalette(dc, palette, win::FALSE);
  const win::UINT changed = win::RealizePalette(dc);
  if (changed > 0 && changed != static_cast<win::UINT>(-1)) win::InvalidateRect(window, nullptr, win::TRUE);
  if (previous) win::SelectPalette(dc, previous, win::FALSE);
  win::ReleaseDC(window, dc);
  return changed == static_cast<win::UINT>(-1) ? 0 : changed;
}

}  // namespace

ScreenFacts& Screen() {
  static ScreenFacts facts;
  return facts;
}

int BandChannel(int start, int delta, int b) {
  const long long value = start + static_cast<long long>(delta) * b / (kGradientBands - 1);
  return static_cast<int>(std::clamp<long long>(value, 0, 255));
}

int BandTop(int bottom, int b) {
  return b == 0 ? -1 : static_cast<int>(static_cast<long long>(bottom) * b / kGradientBands);
}

int BandBottom(int bottom, int b) { return static_cast<int>(static_cast<long long>(bottom) * (b + 1) / kGradientBands); }

void CreateTitleFont(win::HINSTANCE, const StartSettings& settings) {
  ScreenFacts& s = Screen();
  s.start = settings.gradientStart;
  s.delta = settings.gradientDelta;
  s.noBackground = settings.noBackground;
  s.charSet = static_cast<win::BYTE>(settings.fontCharacterSet);
  char face[256] = {};
  std::strncpy(face, settings.titleFont.c_str(), sizeof face - 1);
  win::HDC screen = win::GetDC(nullptr);
  const int height = -win::MulDiv(16, screen ? win::GetDeviceCaps(screen, win::LOGPIXELSY) : 96, 72);
  if (s.titleFont) win::DeleteObject(s.titleFont);
  s.titleFont = win::CreateFont(height, 0, 0, 0, win::FW_BOLD, 1, 0, 0, s.charSet, win::OUT_DEFAULT_PRECIS,
                                win::CLIP_DEFAULT_PRECIS, win::DEFAULT_QUALITY, win::FF_ROMAN, face);
  if (!screen) return;
  const int depth = win::GetDeviceCaps(screen, win::BITSPIXEL) * win::GetDeviceCaps(screen, win::PLANES);
  s.width = win::GetDeviceCaps(screen, win::HORZRES);
  s.height = win::GetDeviceCaps(screen, win::VERTRES);
  if (depth >= 8) makePalette(screen);
  win::ReleaseDC(nullptr, screen);
}

void FreeTitleFont() {
  ScreenFacts& s = Screen();
  if (s.titleFont) win::DeleteObject(s.titleFont);
  s.titleFont = nullptr;
  if (s.palette) {
    // The screen context may still hold it: give it back the default palette first.
    if (win::HDC screen = win::GetDC(nullptr)) {
      win::SelectPalette(screen, static_cast<win::HPALETTE>(win::GetStockObject(win::DEFAULT_PALETTE)), win::FALSE);
      win::ReleaseDC(nullptr, screen);
    }
    win::DeleteObject(s.palette);
  }
  s.palette = nullptr;
}

win::ATOM RegisterMainClass(win::HINSTANCE instance) {
  win::WNDCLASSA wc{};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hIcon = win::LoadIcon(instance, win::MAKEINTRESOURCE(kMainIconId));
  wc.hCursor = win::LoadCursor(nullptr, win::IDC_ARROW);
  wc.hbrBackground = static_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH));
  wc.lpszClassName = kMainClassName;
  return win::RegisterClass(&wc);
}

int CreateMainWindow(win::HINSTANCE instance, int, const std::string* title, bool visible) {
  win::HWND window = win::CreateWindowEx(0, kMainClassName, " ",
                                         win::WS_CAPTION | win::WS_SYSMENU | win::WS_THICKFRAME | win::WS_MAXIMIZEBOX,
                                         0, 0, 640, 480, nullptr, nullptr, instance, nullptr);
  mainWindow() = window;
  if (!window) return 0;
  if (title) win::SetWindowText(window, title->c_str());
  if (visible) win::ShowWindow(window, win::SW_SHOWMAXIMIZED);
  win::UpdateWindow(window);
  return 1;
}

win::HWND MainWindow() { return mainWindow(); }

win::LRESULT MainWndProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  switch (message) {
    case win::WM_PAINT:
      paintGradient(window);
      return 0;
    case win::WM_ERASEBKGND:
      return 1;
    case win::WM_TIMER:
      WaitFlag() = false;
      return 0;
    case win::WM_QUERYNEWPALETTE:
      return realizeFor(window);
    case win::WM_PALETTECHANGED:
      return reinterpret_cast<win::HWND>(wParam) == window ? 0 : realizeFor(window);
    case win::WM_DESTROY:
      win::PostQuitMessage(0);
      return 0;
    default:
      return win::DefWindowProc(window, message, wParam, lParam);
  }
}

bool& WaitFlag() {
  static bool wait = false;
  return wait;
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
  mainWindow() = nullptr;
  win::MSG msg{};
  while (win::GetMessage(&msg, nullptr, 0, 0) > 0) {
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

}  // namespace remvex
