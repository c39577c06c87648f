// AskRetryFile over the runtime's message box.
#include "files/ask_retry.h"

#include "files/file_utils.h"
#include "files/restart_rename.h"
#include "text/message_format.h"
#include "ui/message_dlg.h"

namespace merl {

int AskRetryFile(const char* path, bool failed, LogRecord* record) {
  SetupRec* setup = run().setup();
  if (!failed || (setup && setup->abortFlag) || RestartSupportOn()) return kGoOnWithoutFile;
  const char* format = scriptMessage(kInUseMessage);
  char text[kPathBufferSize * 2];
  formatScriptMessage(text, sizeof text, format ? format : "%s", {path});
  const char* title = scriptMessage(kInUseTitle);
  switch (MessageDlg(nullptr, text, title ? title : "", kInUseFlags)) {
    case kAnswerSecond:
      return kRetryFile;
    case kAnswerFirst:
      if (setup) setup->abortFlag = 1;
      setLastErrorText(text);
      return kGoOnWithoutFile;
    default:
      if (record) record->inUse = true;
      return kGoOnWithoutFile;
  }
}

}  // namespace merl
