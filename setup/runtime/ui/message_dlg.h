// The runtime's own message box (dialog 114): MessageDlg with its cancel
// confirmation and silent mode, ConfirmCancel, AbortMessage, and the script's message texts.
#pragma once

#include <string>
#include <string_view>

#include "run.h"

namespace merl {

inline constexpr int kMessageDialogId = 114;
inline constexpr int kMessageTextId = 1005;

// Message flags.
inline constexpr BYTE kMsgTwoChoices = 0x01;
inline constexpr BYTE kMsgNoCancel = 0x02;
inline constexpr BYTE kMsgIconMask = 0x1C;
inline constexpr BYTE kMsgIconInformation = 0x04;
inline constexpr BYTE kMsgIconExclamation = 0x08;
inline constexpr BYTE kMsgIconQuestion = 0x0C;
inline constexpr BYTE kMsgIconStop = 0x10;
inline constexpr BYTE kMsgNoClose = 0x20;
inline constexpr BYTE kMsgAlternative = 0x40;
inline constexpr BYTE kMsgPlainCancel = 0x80;

// Answers: the control numbers.
inline constexpr int kAnswerFirst = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerSecond = 3;

// Script message k (0..44) of the current language; null before the message table exists.
const char* scriptMessage(int k);

// The windows a message box without an owner belongs to, newest first.
struct OpenDialogs : RunState {
  HWND customDialog = nullptr;
  HWND progressDialog = nullptr;
};

// Shows text in dialog 114 and returns the answer (1, 3 or 2). Silent runs answer 1.
int MessageDlg(HWND owner, std::string_view text, std::string_view title, BYTE flags);

// The cancel question: message 31 under title 18 with flags 0x8F over parent; true when its
// first button is pressed. Without a message table the Cancel stands (true).
bool ConfirmCancel(HWND parent);

// Keeps text as the run's last error and shows it with title message 17 and flags 0x02.
void AbortMessage(std::string_view text);

// The run's last error text (empty when none).
const std::string& lastErrorText();
// Keeps text (cut to 255 characters) as the run's last error without showing it.
void setLastErrorText(std::string_view text);

}  // namespace merl
