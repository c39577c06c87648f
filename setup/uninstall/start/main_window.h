// The uninstaller's plain main window: its class, the wait flag its timer
// clears, and its end.
#pragma once

#include <string>

#include "win/types.h"

namespace remvex {

// Registers the class and makes the (hidden) main window titled title; null when either fails.
win::HWND CreateMainWindow(win::HINSTANCE instance, const std::string& title);

// Set before a wait on the main window's timer; the timer clears it.
bool& WaitFlag();

// Pumps messages (PeekMessage) until the main window's timer fires after ms.
void WaitOnTimer(win::HWND window, unsigned id, unsigned ms);

// Destroys the window and pumps until WM_QUIT.
void EndMainWindow(win::HWND window);

}  // namespace remvex
