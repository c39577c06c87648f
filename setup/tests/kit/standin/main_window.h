// The stand-in's main (background) window: timer 8297 clears the setup
// record's wait flag, and its destruction posts WM_QUIT.
#pragma once

#include "win/types.h"

namespace merl_standin {

// Registers the class and makes the window over the whole screen; null with the last error.
win::HWND createMainWindow(int width, int height);

}  // namespace merl_standin
