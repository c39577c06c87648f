// The one look of the runtime's dialogs: widened by a sixth, the common dialog
// font on every control, CTL3D when loaded; and PlaceDialog, which centres a
// dialog or puts it on the header's 3 x 3 grid.
#pragma once

#include "run.h"
#include "win/gdi.h"

namespace merl {

// PlaceDialog's modes.
inline constexpr BYTE kPlaceCentred = 0;
inline constexpr BYTE kPlaceByHeader = 1;  // the position code when the header asks for it
inline constexpr BYTE kPlaceByCode = 2;

// Font weights of the common font.
inline constexpr int kLightWeight = 300;
inline constexpr int kBoldWeight = 700;

// The font shared by every dialog of the run (null until a dialog makes it).
struct DialogLook : RunState {
  win::HFONT commonFont = nullptr;
};

// The light-font rule of the option word's bits 9-10: 2 light, 1 light above Windows 3.
bool LightDialogFont(DWORD optionWord, bool majorAbove3);

// First thing in a dialog's WM_INITDIALOG: widens it, hands it to CTL3D, makes the common
// font from the dialog's own when there is none yet, then widens the direct children and
// gives every descendant the common font.
void SetupDialogLook(HWND dialog);

// SetupDialogLook's child enumeration (lParam is the dialog); always TRUE.
win::BOOL WidenChildProc(HWND child, win::LPARAM dialog);

// Moves the dialog (size unchanged) by mode: centred on the setup record's screen, or on the
// grid of the header's position code (clipped to the screen).
void PlaceDialog(HWND dialog, BYTE mode);

// Deletes the common font so the next dialog makes it afresh (after a top-level custom
// dialog and at the end of the run).
void DeleteDialogFont();

}  // namespace merl
