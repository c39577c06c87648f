// The question about a shared file no program uses any more: dialog 104 run
// modally over the main window, ended with the id of the button pressed.
#pragma once

#include <string>

#include "undo/shared_question.h"
#include "win/types.h"

namespace remvex {

// lParam: the question text (a const std::string*).
win::INT_PTR SharedDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Message 38 formatted with the path, followed by message 39.
std::string SharedQuestionText(const std::string& iniPath, const std::string& path);

// Asks about path; the pressed id (kSharedYes, kSharedNo or kSharedNoToAll). A dialog that
// cannot be made, or is closed, keeps the file (kSharedNo).
int AskSharedFile(const std::string& path);

}  // namespace remvex
