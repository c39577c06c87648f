// LanguageDlg's language choice: the display names go into list 1008; a system
// name equal to the default (case-blind) preselects its entry and, outside test
// runs and without the "always ask" option, is taken at once. In extract mode
// list 1010 offers the files, with their date, time and size, for a multiple choice.
#include "ui/language_dlg.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <string>

#include "constants.h"
#include "run.h"
#include "script/script_header.h"
#include "script/script_image.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "ui/dialog_look.h"
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

// Extract mode's files and the indexes chosen among them.
struct ExtractChoice : RunState {
  const std::vector<ExtractFileEntry>* files = nullptr;
  std::vector<int> selected;
  int count = 0;
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

void fillFileList(HWND dialog) {
  win::SendDlgItemMessage(dialog, kFileListId, win::LB_SETTABSTOPS, std::size(kFileListTabStops),
                          reinterpret_cast<win::LPARAM>(kFileListTabStops));
  const std::vector<ExtractFileEntry>* files = run().state<ExtractChoice>().files;
  if (!files) return;
  for (const ExtractFileEntry& file : *files) {
    std::string line = ExtractFileLine(file);
    win::SendDlgItemMessage(dialog, kFileListId, win::LB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>(line.c_str()));
  }
}

void initDialog(HWND dialog) {
  SetupDialogLook(dialog);
  DialogTexts& texts = dialogTexts();
  win::SetWindowText(dialog, texts.caption);
  win::SetDlgItemText(dialog, kDescriptionTextId, texts.description);
  if (run().runState >= kStateExtract) {
    hideControl(dialog, kLanguageListId);
    fillFileList(dialog);
  } else {
    hideControl(dialog, kFileListId);
    bool matched = fillLanguageList(dialog);
    DWORD options = run().setup() ? run().setup()->optionWord : 0;
    if (matched && run().runState != kStateTest && (options & kAskLanguageOption) == 0) win::EndDialog(dialog, 1);
  }
  PlaceDialog(dialog, kPlaceCentred);
}

// The selected indexes of the file list into the choice (at most kMaxSelectedFiles); their count.
int takeFileSelection(HWND dialog) {
  ExtractChoice& choice = run().state<ExtractChoice>();
  choice.selected.assign(kMaxSelectedFiles, 0);
  auto n = win::SendDlgItemMessage(dialog, kFileListId, win::LB_GETSELITEMS, kMaxSelectedFiles,
                                   reinterpret_cast<win::LPARAM>(choice.selected.data()));
  choice.count = n < 0 ? -1 : static_cast<int>(std::min<win::LRESULT>(n, kMaxSelectedFiles));
  choice.selected.resize(choice.count < 0 ? 0 : static_cast<std::size_t>(choice.count));
  return choice.count;
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
  int result = run().runState >= kStateExtract ? takeFileSelection(dialog) : takeSelection(dialog);
  if (result != -1 || id == 2) win::EndDialog(dialog, id);
  return win::TRUE;
}

int ChooseLanguage(DWORD listPosition) {
  run().state<LanguageChoice>().listPosition = listPosition;
  return static_cast<int>(win::DialogBoxParam(dialogModule(), win::MAKEINTRESOURCE(kLanguageDialogId), dialogOwner(),
                                              LanguageDlg, 0));
}

std::string ExtractFileLine(const ExtractFileEntry& file) {
  int month = (file.dosDate >> 5) & 0x0F, day = file.dosDate & 0x1F, year = ((file.dosDate >> 9) + 80) % 100;
  int hour = file.dosTime >> 11, minute = (file.dosTime >> 5) & 0x3F;
  std::string name = ExtractName(file.name);
  char line[kMaxExtractNameLength + 64];
  std::snprintf(line, sizeof line, "%s\t%02d/%02d/%02d\t   %02d:%02d\t%ld", name.c_str(), month, day, year, hour,
                minute, static_cast<long>(file.size));
  return line;
}

std::vector<std::size_t> ChooseExtractFiles(const std::vector<ExtractFileEntry>& files, std::string_view prompt) {
  ExtractChoice& choice = run().state<ExtractChoice>();
  choice.files = &files;
  choice.selected.clear();
  choice.count = 0;
  DialogTexts& texts = dialogTexts();
  texts.setDescription(prompt);
  texts.setAnswer("");
  auto result = win::DialogBoxParam(dialogModule(), win::MAKEINTRESOURCE(kLanguageDialogId), dialogOwner(),
                                    LanguageDlg, 0);
  choice.files = nullptr;
  std::vector<std::size_t> chosen;
  if (result != 1) return chosen;
  for (int i : choice.selected)
    if (i >= 0 && static_cast<std::size_t>(i) < files.size()) chosen.push_back(static_cast<std::size_t>(i));
  return chosen;
}

}  // namespace merl

extern "C" win::INT_PTR LanguageDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return merl::LanguageDlg(dialog, message, wParam, lParam);
}
