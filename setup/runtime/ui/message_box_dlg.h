// The dialog procedure of dialog 114 and what one message box shows.
#pragma once

#include <string>

#include "constants.h"
#include "run.h"
#include "win/dialog.h"

namespace merl {

// The message font's settings, from the script header.
struct DialogFontSettings : RunState {
  int pointSize = 8;
  std::string face = "MS Sans Serif";
  BYTE charSet = 0;
  bool light = false;
};

// The text, title and flags of the one message box open now.
struct MessageBoxCall : RunState {
  std::string text;
  std::string title;
  BYTE flags = 0;
  win::HFONT font = nullptr;
  win::HICON icon = nullptr;  // the icon chosen by the flags, drawn at kIconX, kIconY
};

// The dialog procedure itself is the export MessageBoxDlg (merl/setup_interface.h).

}  // namespace merl
