// The default report of a broken script: a message box over the main window.
#include "script/script_error.h"

#include "run.h"
#include "script/script_header.h"
#include "win/message_box.h"

namespace merl {

namespace {

void showStopBox(const char* text) {
  Run* current = currentRun();
  HWND owner = current && current->setup() ? current->setup()->mainWindow : nullptr;
  win::MessageBox(owner, text, nullptr, win::MB_OK | win::MB_ICONSTOP);
}

}  // namespace

ScriptErrorReporter reportScriptError = showStopBox;

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
