// The copy progress: the progress figures (and the slide switch they drive), the
// status text in the copy dialog 1538 or through the progress library's "Update",
// and opening and closing the copy dialog.
#pragma once

#include <functional>
#include <string>

#include "entry/placed_graphics.h"
#include "entry/screen_services.h"
#include "ui/copy_dlg.h"

namespace merl {

// PlaceDialog's mode for the copy dialog.
inline constexpr int kCopyDialogPlacement = 2;

// Option bits of the setup record that choose the progress source.
inline constexpr DWORD kOptionScriptProgress = 0x40;
inline constexpr DWORD kOptionBytesDoneProgress = 0x10000;

// Bytes done and total are scaled down by tens until both are at most this.
inline constexpr DWORD kProgressScaleLimit = 2000000;

// The progress figures kept between calls.
struct ProgressFigures : RunState {
  BYTE percentage = 0;
  BYTE nextSlideThreshold = kNoSlidePending;
  long long doneBeforeFile = 0;  // the unscaled done when the current file started
  DWORD fileSize = 0;            // the current file's size; 0: no file per-mille
  char parameterText[1] = {};    // the progress block's empty parameter text
};

ProgressFigures& progressFigures();

// The progress numbers: done and total scaled to at most 2,000,000 each (done at most total,
// total at least 1); returns the percentage (0-100, the nearest), which is kept, and runs the
// slide switch when it reaches the next slide threshold. Arithmetic in 64 bits.
BYTE GetProgressFraction(DWORD& done, DWORD& total);

// Marks the start of a file of size bytes for the file per-mille.
void StartFileProgress(DWORD size);

// part of whole in per-mille, 0..1000 (whole 0: 0).
int PerMille(unsigned long long part, unsigned long long whole);

// Shows text (null: the progress only) in the copy dialog's 3829 or through "Update" (1, ...);
// a window handed back by "Update" owns the cancel question, whose first answer sets the abort
// flag. A text marks the copy progress as showing.
void ShowCopyProgress(const char* text);

// Hides the copy progress: "Update" (2, ...), or the copy dialog destroyed and the main window
// enabled; then UpdateScreen (0).
void CloseCopyDialog();

// Makes the copy dialog (1538, placed with mode 2) with text in 3829, shows it and disables
// the main window; an open one only gets the text. Null when it cannot be made.
HWND OpenCopyDialog(const std::string& text);

// The copy progress again after the disk prompt closed it: "Update" without text, or the
// copy dialog with the status text it had.
void ReopenCopyProgress(const std::string& text);

}  // namespace merl
