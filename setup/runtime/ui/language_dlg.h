// LanguageDlg, the list dialog (template 107): here its language choice. The
// list holds two strings per language, display name and system language name.
#pragma once

#include "merl/setup_interface.h"
#include "win/types.h"

namespace merl {

inline constexpr int kLanguageDialogId = 107;
inline constexpr int kLanguageListId = 1008;
inline constexpr int kFileListId = 1010;
inline constexpr int kDescriptionTextId = 1001;
inline constexpr std::size_t kDisplayNameLength = 63;
inline constexpr DWORD kAskLanguageOption = 0x100000;  // setup record option: always ask

// The dialog procedure (exported by name).
win::INT_PTR LanguageDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Runs dialog 107 over the language list at listPosition of the current image, with the
// dialog texts as prepared (description = prompt, answer = default system name). Sets the
// header's current language and %LANGUAGES%; returns the dialog's result (1 = OK).
int ChooseLanguage(DWORD listPosition);

}  // namespace merl
