// The default report of a broken script: the abort message, which also keeps
// the text as the run's last error.
#include "script/script_error.h"

#include "script/script_header.h"
#include "ui/message_dlg.h"

namespace merl {

ScriptErrorReporter reportScriptError = [](const char* text) { AbortMessage(text); };

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
