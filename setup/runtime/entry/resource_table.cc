// The library's resource table, which the machine's resource calls read
// through the exported "ids_resource_table": dialog 114, the message box.
#include <string>

#include "ui/message_dlg.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "win/resource.h"
#include "win/window.h"

namespace merl {
namespace {

constexpr win::DWORD kChild = win::WS_CHILD | win::WS_VISIBLE;

// 181 x 49 units in MS Sans Serif 8: text 1005, then OK (1), No (3) and Cancel (2).
std::string messageDialog() {
  using namespace win;
  return DialogTemplateBuilder(WS_POPUP | DS_MODALFRAME | DS_SETFONT | WS_CAPTION | WS_SYSMENU, 0, 0, 181, 49)
      .font(8, "MS Sans Serif")
      .control(kStaticClassOrdinal, "", kMessageTextId, kChild | SS_LEFT, 17, 6, 148, 11)
      .control(kButtonClassOrdinal, "OK", 1, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 13, 31, 50, 14)
      .control(kButtonClassOrdinal, "No", 3, kChild | BS_PUSHBUTTON | WS_TABSTOP, 66, 31, 50, 14)
      .control(kButtonClassOrdinal, "Cancel", 2, kChild | BS_PUSHBUTTON | WS_TABSTOP, 119, 31, 50, 14)
      .bytes();
}

const std::string kMessageDialog = messageDialog();

const win::ResourceEntry kResources[] = {
    {win::RT_DIALOG_ID, nullptr, kMessageDialogId, nullptr, kMessageDialog.data(),
     static_cast<win::DWORD>(kMessageDialog.size())},
};

}  // namespace
}  // namespace merl

IDS_WIN_RESOURCE_TABLE(merl::kResources);
