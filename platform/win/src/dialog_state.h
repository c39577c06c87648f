// What a dialog window carries besides the window: its procedure and result,
// its font and base units, the keys the answers file knows it by, and the
// dialog manager's helpers shared by modal loops, answers and the transcript.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "answers_file.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "window_state.h"

namespace win {

struct DialogState {
  DLGPROC proc = nullptr;
  LPARAM param = 0;
  bool modal = false;
  bool ended = false;
  INT_PTR result = 0;
  LONG_PTR msgResult = 0;
  LONG_PTR user = 0;
  HFONT font = nullptr;
  bool ownsFont = false;
  int baseX = 0;
  int baseY = 0;
  std::string faceName;  // DS_SETFONT's face and point size (empty: the system font)
  int pointSize = 0;
  std::string resourceKey;  // "114" for a dialog from resource 114; empty for one from memory
  int number = -1;          // the caller's "#<n>"
  WORD defId = 0;
  bool announced = false;                 // its "dialog" line is in the transcript
  bool answering = false;                 // an answers line is waiting to be applied or being applied
  std::optional<AnswerLine> pendingLine;  // a modeless dialog's line, applied when its input message is dispatched
  bool pendingDefault = false;            // ... or its default button, unscripted
  int unscriptedPresses = 0;
};

// The dialog state of a dialog window (null for other windows).
DialogState* dialogOf(Window& window);

// Makes a dialog from a parsed template: window, font, controls, WM_INITDIALOG, shown when the
// template says WS_VISIBLE (modeless) . Null with the last error.
HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param, bool modal,
                  std::string resourceKey);
// Runs a modal dialog until it ends (answers, waits, holds) and destroys it; returns its result.
INT_PTR runModalDialog(HWND dialog);

// The keys the answers file may name the dialog by: "#<n>", the template id, the caption.
struct DialogKeys {
  std::string resourceKey;
  int number = -1;
  std::string caption;
  // The key as an answers line would write it ("#3", "114", "\"Setup\"").
  std::string primary() const;
};
DialogKeys dialogKeys(HWND dialog);

// The dialog's default button id (DM_GETDEFID, else IDOK).
int defaultButtonOf(HWND dialog);
// True when the user could press button id: an enabled, visible control, or IDCANCEL through an
// enabled Close of the system menu.
bool canPress(HWND dialog, int id, std::string* why);
// Sends WM_COMMAND(id, BN_CLICKED) as a press of the button would.
void pressButton(HWND dialog, int id);

// Writes the "dialog" line (key, title, rectangle, font, icon, Close state, controls) once.
void announceDialog(HWND dialog);
// The system menu's Close is enabled (WS_SYSMENU and SC_CLOSE not greyed).
bool closeEnabled(Window& window);

// The window procedure of the dialog class "#32770".
LRESULT dialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace win
