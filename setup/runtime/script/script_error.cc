// The default report of a broken script: the abort message once the message table
// exists, before it a stop box over the main window.
#include "script/script_error.h"

#include "run.h"
#include "script/script_header.h"
#include "ui/message_dlg.h"
#include "win/message_box.h"

namespace merl {

namespace {

void showReport(const char* text) {
  Run* current = currentRun();
  if (current && scriptMessage(kInvalidScriptMessage)) {
    AbortMessage(text);
    return;
  }
  HWND owner = current && current->setup() ? current->setup()->mainWindow : nullptr;
  win::MessageBox(owner, text, nullptr, win::MB_OK | win::MB_ICONSTOP);
}

}  // namespace

ScriptErrorReporter reportScriptError = showReport;

int internalError() {
  reportScriptError(kInternalErrorText);
  return kAbort;
}

int invalidRecord() {
  const char* text = scriptMessage(kInvalidScriptMessage);
  reportScriptError(text ? text : kInternalErrorText);
  return kAbort;
}

}  // namespace merl
