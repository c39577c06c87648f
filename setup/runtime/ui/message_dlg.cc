// MessageDlg and AbortMessage over dialog 114.
#include "ui/message_dlg.h"

#include "constants.h"
#include "entry/dll_main.h"
#include "ui/message_box_dlg.h"
#include "win/dialog.h"

namespace merl {

namespace {

inline constexpr int kConfirmText = 31;
inline constexpr int kConfirmTitle = 18;
inline constexpr BYTE kConfirmFlags = 0x0F;
// Two choices, no Cancel, the question icon, no confirmation of its own.
inline constexpr BYTE kConfirmCancelFlags = 0x8F;
inline constexpr int kAbortTitle = 17;

struct LastError : RunState {
  std::string text;
};

HWND defaultOwner() {
  const OpenDialogs& open = run().state<OpenDialogs>();
  if (open.customDialog) return open.customDialog;
  if (open.progressDialog) return open.progressDialog;
  SetupRec* setup = run().setup();
  return setup ? setup->mainWindow : nullptr;
}

int showBox(HWND owner, std::string_view text, std::string_view title, BYTE flags) {
  MessageBoxCall& call = run().state<MessageBoxCall>();
  call.text = std::string(text);
  call.title = std::string(title);
  call.flags = flags;
  return static_cast<int>(win::DialogBoxParam(ownModule(), win::MAKEINTRESOURCE(kMessageDialogId), owner,
                                              ::MessageBoxDlg, 0));
}

}  // namespace

int MessageDlg(HWND owner, std::string_view text, std::string_view title, BYTE flags) {
  SetupRec* setup = run().setup();
  if (setup && setup->silentFlag) return kAnswerFirst;
  if (!owner) owner = defaultOwner();
  for (;;) {
    int answer = showBox(owner, text, title, flags);
    if (answer != kAnswerCancel) return answer;
    // Without a message table the confirmation has no texts: Cancel stands.
    if ((flags & (kMsgAlternative | kMsgPlainCancel)) || !scriptMessage(kConfirmText)) return kAnswerCancel;
    const char* confirmTitle = scriptMessage(kConfirmTitle);
    if (showBox(owner, scriptMessage(kConfirmText), confirmTitle ? confirmTitle : "", kConfirmFlags) == kAnswerFirst)
      return kAnswerCancel;
  }
}

bool ConfirmCancel(HWND parent) {
  const char* text = scriptMessage(kConfirmText);
  if (!text) return true;
  const char* title = scriptMessage(kConfirmTitle);
  return MessageDlg(parent, text, title ? title : "", kConfirmCancelFlags) == kAnswerFirst;
}

void AbortMessage(std::string_view text) {
  setLastErrorText(text);
  const char* title = scriptMessage(kAbortTitle);
  MessageDlg(nullptr, text, title ? title : "Installation Aborted!", kMsgNoCancel);
}

const std::string& lastErrorText() { return run().state<LastError>().text; }

void setLastErrorText(std::string_view text) { run().state<LastError>().text = std::string(text.substr(0, kLastErrorLength)); }

}  // namespace merl
