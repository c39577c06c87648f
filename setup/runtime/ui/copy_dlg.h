// CopyDlg, the modeless copy progress dialog (template 1538): the current file's
// text, a bar painted by the share of bytes done, and Cancel, which asks the
// cancel question and sets the abort flag.
#pragma once

#include <functional>

#include "merl/setup_interface.h"
#include "run.h"
#include "win/gdi.h"

namespace merl {

inline constexpr int kCopyDialogId = 1538;
inline constexpr int kCopyCaptionMessage = 29;
inline constexpr win::COLORREF kCopyBarColour = win::RGB(0, 0, 0x7F);
inline constexpr win::COLORREF kCopyPlainFace = win::RGB(0xFF, 0xFF, 0xFF);

// The progress as the copy dialog paints it.
struct CopyProgressFigures {
  DWORD done = 0;
  DWORD total = 1;
  int percent = 0;
};

// The dialog's state: the bar's inside (the frame control's rectangle one pixel in, in client
// coordinates) and where the figures come from.
struct CopyDialogState : RunState {
  win::RECT inner{};
  // GetProgressFraction's done, total and percentage (tests may feed their own).
  std::function<CopyProgressFigures()> getProgressFraction = defaultFigures;

  static CopyProgressFigures defaultFigures();
};

// The dialog procedure (exported by name).
win::INT_PTR CopyDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

}  // namespace merl
