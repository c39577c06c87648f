// PathNameDlg, the one-line text prompt (template 1539): caption, prompt and
// description from the dialog texts, the answer text as the edit's value; Cancel
// asks ConfirmCancel first.
#pragma once

#include "merl/setup_interface.h"

namespace merl {

inline constexpr int kPathNameDialogId = 1539;
inline constexpr int kPathEditId = 1000;
inline constexpr int kPathDescriptionId = 1001;
inline constexpr int kPathPromptId = 1006;
inline constexpr int kPathNoteId = 1007;
inline constexpr int kPathNoteMessage = 16;
inline constexpr int kOkTextMessage = 27;
inline constexpr int kCancelTextMessage = 28;

// The dialog procedure (exported by name).
win::INT_PTR PathNameDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Runs dialog 1539 with the dialog texts as prepared; 1 with a non-empty answer text, else 2.
int AskPathName();

}  // namespace merl
