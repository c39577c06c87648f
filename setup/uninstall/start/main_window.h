// The uninstaller's background window: the title font and the palette made
// from the screen, the window class, the 96-band gradient it paints, the wait
// flag its timer clears, and its end.
#pragma once

#include <string>

#include "start/settings.h"
#include "win/types.h"

namespace remvex {

// What the title font step found out and made; read by the window and the wizard.
struct ScreenFacts {
  Colour start{0, 0, 255};
  Colour delta{0, 0, -255};
  bool noBackground = false;
  win::BYTE charSet = 0;       // also the dialog font's
  win::HFONT titleFont = nullptr;
  win::HPALETTE palette = nullptr;  // 96 entries at 8 bits per pixel or more
  int width = 0, height = 0;   // HORZRES, VERTRES
};
ScreenFacts& Screen();

// Channel of band b (0-95): start + delta x b / 95, clamped to 0..255.
int BandChannel(int start, int delta, int b);
// Band b reaches from y = bottom x b / 96 (the first from -1) to bottom x (b + 1) / 96.
int BandTop(int bottom, int b);
int BandBottom(int bottom, int b);

// The title font (16 points of the INI face, bold italic, FF_ROMAN), the palette and the screen size.
void CreateTitleFont(win::HINSTANCE instance, const StartSettings& settings);
// Deletes the title font and the palette.
void FreeTitleFont();

// Class "QDTXUninstall"; non-zero on success.
win::ATOM RegisterMainClass(win::HINSTANCE instance);
// The window at 0, 0, 640 x 480 titled " " (or title when given), shown maximised when visible;
// 1 on success. The show command is not used.
int CreateMainWindow(win::HINSTANCE instance, int showCommand, const std::string* title, bool visible);
// The window CreateMainWindow made.
win::HWND MainWindow();

win::LRESULT MainWndProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Set before a wait on the main window's timer; the timer clears it.
bool& WaitFlag();

// Pumps messages (PeekMessage) until the main window's timer fires after ms.
void WaitOnTimer(win::HWND window, unsigned id, unsigned ms);

// Destroys the window and pumps until WM_QUIT.
void EndMainWindow(win::HWND window);

}  // namespace remvex
