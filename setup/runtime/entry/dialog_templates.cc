// The runtime's dialog templates, written with the platform's template builder:
// MS Sans Serif 8, modal frame, caption and system menu.
#include "entry/dialog_templates.h"

#include "ui/message_dlg.h"

#include "win/constants.h"
#include "win/dialog.h"
#include "win/controls.h"
#include "win/dialog_template.h"
#include "win/window.h"

namespace merl {

namespace {

using win::DialogTemplateBuilder;
using win::DWORD;

constexpr DWORD kDialogStyle =
    win::WS_POPUP | win::DS_MODALFRAME | win::DS_SETFONT | win::WS_VISIBLE | win::WS_CAPTION | win::WS_SYSMENU;
constexpr DWORD kChild = win::WS_CHILD | win::WS_VISIBLE;
constexpr DWORD kListStyle = kChild | win::WS_BORDER | win::WS_VSCROLL | win::WS_TABSTOP | win::LBS_NOTIFY |
                             win::LBS_USETABSTOPS | win::LBS_NOINTEGRALHEIGHT;
constexpr win::WORD kNoId = 0xFFFF;

}  // namespace

std::string pathNameDialogTemplate() {
  DialogTemplateBuilder b(kDialogStyle, 105, 50, 158, 134);
  b.font(8, "MS Sans Serif")
      .control(win::kButtonClassOrdinal, "", kNoId, kChild | win::BS_GROUPBOX, 3, 4, 151, 50)
      .control(win::kStaticClassOrdinal, "", 1001, kChild | win::SS_LEFT | win::WS_GROUP, 6, 10, 146, 40)
      .control(win::kStaticClassOrdinal, "", 1006, kChild | win::SS_LEFT | win::WS_GROUP, 4, 58, 148, 8)
      .control(win::kEditClassOrdinal, "", 1000, kChild | win::WS_BORDER | win::WS_TABSTOP | win::ES_AUTOHSCROLL, 4, 68,
               148, 12)
      .control(win::kStaticClassOrdinal, "", 1007, kChild | win::SS_CENTER | win::WS_GROUP, 4, 90, 148, 17)
      .control(win::kButtonClassOrdinal, "OK", 1, kChild | win::BS_DEFPUSHBUTTON | win::WS_TABSTOP, 4, 115, 50, 14)
      .control(win::kButtonClassOrdinal, "Cancel", 2, kChild | win::BS_PUSHBUTTON | win::WS_TABSTOP, 102, 115, 50, 14);
  return b.bytes();
}

std::string languageDialogTemplate() {
  DialogTemplateBuilder b(kDialogStyle, 95, 50, 189, 161);
  b.font(8, "MS Sans Serif")
      .control(win::kButtonClassOrdinal, "", kNoId, kChild | win::BS_GROUPBOX, 3, 0, 182, 75)
      .control(win::kStaticClassOrdinal, "", 1001, kChild | win::SS_LEFT | win::WS_GROUP, 6, 6, 175, 67)
      .control(win::kListBoxClassOrdinal, "", 1008, kListStyle, 3, 82, 182, 49)
      .control(win::kListBoxClassOrdinal, "", 1010, kListStyle | win::LBS_MULTIPLESEL, 3, 82, 182, 49)
      .control(win::kButtonClassOrdinal, "OK", 1, kChild | win::BS_DEFPUSHBUTTON | win::WS_TABSTOP, 21, 139, 50, 14)
      .control(win::kButtonClassOrdinal, "Cancel", 2, kChild | win::BS_PUSHBUTTON | win::WS_TABSTOP, 116, 139, 50, 14);
  return b.bytes();
}

// Template 1538, hidden at creation: Cancel, the bar frame and the current file's text.
std::string copyDialogTemplate() {
  DialogTemplateBuilder b(kDialogStyle & ~win::WS_VISIBLE, 0, 0, 170, 69);
  b.font(8, "MS Sans Serif")
      .control(win::kButtonClassOrdinal, "Cancel", 2, kChild | win::BS_DEFPUSHBUTTON | win::WS_TABSTOP, 60, 52, 50, 14)
      .control(win::kStaticClassOrdinal, "", 3830, kChild | win::SS_BLACKRECT, 5, 33, 160, 14)
      .control(win::kStaticClassOrdinal, "", 3829, kChild | win::SS_LEFT | win::SS_NOPREFIX | win::WS_GROUP, 5, 10, 160,
               22);
  return b.bytes();
}

// Template 103 has no caption: one centred line of text.
std::string searchDialogTemplate() {
  DialogTemplateBuilder b(win::WS_POPUP | win::DS_MODALFRAME | win::DS_SETFONT | win::WS_VISIBLE, 60, 80, 237, 21);
  b.font(8, "MS Sans Serif")
      .control(win::kStaticClassOrdinal, "", 1005, kChild | win::SS_CENTER | win::SS_NOPREFIX | win::WS_GROUP, 10, 6,
               215, 9);
  return b.bytes();
}

// 181 x 49 units.
std::string messageDialogTemplate() {
  DialogTemplateBuilder b(win::WS_POPUP | win::DS_MODALFRAME | win::DS_SETFONT | win::WS_CAPTION | win::WS_SYSMENU, 0,
                          0, 181, 49);
  b.font(8, "MS Sans Serif")
      .control(win::kStaticClassOrdinal, "", kMessageTextId, kChild | win::SS_LEFT, 17, 6, 148, 11)
      .control(win::kButtonClassOrdinal, "OK", 1, kChild | win::BS_DEFPUSHBUTTON | win::WS_TABSTOP, 13, 31, 50, 14)
      .control(win::kButtonClassOrdinal, "No", 3, kChild | win::BS_PUSHBUTTON | win::WS_TABSTOP, 66, 31, 50, 14)
      .control(win::kButtonClassOrdinal, "Cancel", 2, kChild | win::BS_PUSHBUTTON | win::WS_TABSTOP, 119, 31, 50, 14);
  return b.bytes();
}

}  // namespace merl
