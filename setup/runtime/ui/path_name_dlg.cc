// PathNameDlg: OK ends only with a non-empty answer; Cancel ends only when the
// cancel question is confirmed.
#include "ui/path_name_dlg.h"

#include "run.h"
#include "script/script_header.h"
#include "ui/dialog_look.h"
#include "ui/dialog_texts.h"
#include "ui/message_dlg.h"
#include "win/dialog.h"
#include "win/message.h"
#include "win/resource.h"
#include "win/window.h"

namespace merl {

namespace {

const char* messageOr(int k, const char* fallback) {
  const char* text = scriptMessage(k);
  return text ? text : fallback;
}

void initDialog(HWND dialog) {
  SetupDialogLook(dialog);
  DialogTexts& texts = dialogTexts();
  win::SetDlgItemText(dialog, 1, messageOr(kOkTextMessage, "OK"));
  win::SetDlgItemText(dialog, 2, messageOr(kCancelTextMessage, "Cancel"));
  win::SetWindowText(dialog, texts.caption);
  win::SetDlgItemText(dialog, kPathEditId, texts.answer);
  win::SetDlgItemText(dialog, kPathPromptId, texts.prompt);
  win::SetDlgItemText(dialog, kPathDescriptionId, texts.description);
  win::SetDlgItemText(dialog, kPathNoteId, messageOr(kPathNoteMessage, ""));
  PlaceDialog(dialog, kPlaceByHeader);
}

}  // namespace

win::INT_PTR PathNameDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM /*lParam*/) {
  if (message == win::WM_INITDIALOG) {
    initDialog(dialog);
    return win::TRUE;
  }
  if (message != win::WM_COMMAND) return win::FALSE;
  int id = win::LOWORD(wParam);
  if (id != 1 && id != 2) return win::FALSE;
  if (id == 2 && !ConfirmCancel(dialog)) return win::TRUE;
  DialogTexts& texts = dialogTexts();
  win::GetDlgItemText(dialog, kPathEditId, texts.answer, static_cast<int>(sizeof texts.answer));
  if (texts.answer[0] != '\0' || id == 2) win::EndDialog(dialog, id);
  return win::TRUE;
}

int AskPathName() {
  auto result = win::DialogBoxParam(dialogModule(), win::MAKEINTRESOURCE(kPathNameDialogId), dialogOwner(), PathNameDlg, 0);
  return result == 1 && dialogTexts().answer[0] != '\0' ? 1 : 2;
}

}  // namespace merl

extern "C" win::INT_PTR PathNameDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return merl::PathNameDlg(dialog, message, wParam, lParam);
}
