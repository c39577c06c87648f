// The default report of a broken script: the abort message, which before the
// message table has its own title and OK button and keeps the text as the last error.
#include "script/script_error.h"

#include "run.h"
#include "script/script_header.h"
#include "ui/message_dlg.h"
#include "win/message_box.h"

namespace merl {

namespace {

void showReport(const char* text) {
  if (currentRun()) {
    AbortMessage(text);
    return;
  }
  win::MessageBox(nullptr, text, nullptr, win::MB_OK | win::MB_ICONSTOP);
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
