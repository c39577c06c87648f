#include "interp/abort_message.h"

#include "interp/interp_constants.h"
#include "text/message_format.h"
#include "ui/message_dlg.h"

namespace merl {

void ShowAbortMessage(int k, std::string_view arg) {
  const char* format = scriptMessage(k);
  char text[kMessageTextSize];
  formatScriptMessage(text, sizeof text, format ? format : "", {FormatArg(arg)});
  AbortMessage(text);
}

}  // namespace merl
