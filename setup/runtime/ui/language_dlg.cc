// LanguageDlg's language choice: the display names go into list 1008; a system
// name equal to the default (case-blind) preselects its entry and, outside test
// runs and without the "always ask" option, is taken at once.
#include "ui/language_dlg.h"

#include <string>

#include "run.h"
#include "script/script_header.h"
#include "script/script_image.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "ui/dialog_texts.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/message.h"
#include "win/resource.h"
#include "win/show_commands.h"
#include "win/window.h"

namespace merl {

namespace {

// Where the list stands while the dialog runs.
struct LanguageChoice : RunState {
  DWORD listPosition = 0;
};

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

void setLanguages(std::string_view displayName) {
  copyText(FindVar("%LANGUAGES%"), kLanguagesValueLength + 1, displayName);
}

void hideControl(HWND dialog, int id) {
  HWND control = win::GetDlgItem(dialog, id);
  if (!control) return;
  win::EnableWindow(control, win::FALSE);
  win::ShowWindow(control, win::SW_HIDE);
}

// Fills the list; true when an entry matched the default system name.
bool fillLanguageList(HWND dialog) {
  ScriptHeader& header = scriptHeader();
  ScriptImage image = ScriptImage::of(run());
  DWORD position = run().state<LanguageChoice>().listPosition;
  std::string_view wanted = dialogTexts().answer;
  bool matched = false;
  for (int i = 0; i < header.languageCount; ++i) {
    std::string display(NextScriptString(image, position).substr(0, kDisplayNameLength));
    std::string_view system = NextScriptString(image, position);
    win::SendDlgItemMessage(dialog, kLanguageListId, win::LB_ADDSTRING, 0,
                            reinterpret_cast<win::LPARAM>(display.c_str()));
    if (!wanted.empty() && sameName(system, wanted)) {
      win::SendDlgItemMessage(dialog, kLanguageListId, win::LB_SETCURSEL, static_cast<win::WPARAM>(i), 0);
      header.language = i;
      setLanguages(display);
      matched = true;
    }
  }
  return matched;
}

void initDialog(HWND dialog) {
  DialogTexts& texts = dialogTexts();
  win::SetWindowText(dialog, texts.caption);
  win::SetDlgItemText(dialog, kDescriptionTextId, texts.description);
  if (run().runState >= kStateExtract) return;
  hideControl(dialog, kFileListId);
  bool matched = fillLanguageList(dialog);
  DWORD options = run().setup() ? run().setup()->optionWord : 0;
  if (matched && run().runState != kStateTest && (options & kAskLanguageOption) == 0) win::EndDialog(dialog, 1);
}

// The selected entry into the current language and %LANGUAGES%; the index (or -1).
int takeSelection(HWND dialog) {
  auto selected = static_cast<int>(win::SendDlgItemMessage(dialog, kLanguageListId, win::LB_GETCURSEL, 0, 0));
  scriptHeader().language = selected;
  if (selected < 0) return -1;
  auto length = win::SendDlgItemMessage(dialog, kLanguageListId, win::LB_GETTEXTLEN, static_cast<win::WPARAM>(selected), 0);
  char text[kDisplayNameLength + 1] = {};
  if (length >= 0 && static_cast<std::size_t>(length) <= kDisplayNameLength) {
    win::SendDlgItemMessage(dialog, kLanguageListId, win::LB_GETTEXT, static_cast<win::WPARAM>(selected),
                            reinterpret_cast<win::LPARAM>(text));
    setLanguages(text);
  }
  return selected;
}

}  // namespace

win::INT_PTR LanguageDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM /*lParam*/) {
  if (message == win::WM_INITDIALOG) {
    initDialog(dialog);
    return win::TRUE;
  }
  if (message != win::WM_COMMAND) return win::FALSE;
  int id = win::LOWORD(wParam);
  if ((id == kLanguageListId || id == kFileListId) && win::HIWORD(wParam) == win::LBN_DBLCLK) id = 1;
  if (id != 1 && id != 2) return win::FALSE;
  if (run().runState >= kStateExtract) return win::FALSE;
  int result = takeSelection(dialog);
  if (result != -1 || id == 2) win::EndDialog(dialog, id);
  return win::TRUE;
}

int ChooseLanguage(DWORD listPosition) {
  run().state<LanguageChoice>().listPosition = listPosition;
  return static_cast<int>(win::DialogBoxParam(dialogModule(), win::MAKEINTRESOURCE(kLanguageDialogId), dialogOwner(),
                                              LanguageDlg, 0));
}

}  // namespace merl

extern "C" win::INT_PTR LanguageDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return merl::LanguageDlg(dialog, message, wParam, lParam);
}
