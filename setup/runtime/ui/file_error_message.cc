// The file-error message: the name (its long absolute form for kind 0) put into
// the script's format and kept as the run's last error.
#include "ui/file_error_message.h"

#include "constants.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "text/copy_text.h"
#include "text/message_format.h"
#include "ui/message_dlg.h"

namespace merl {

int FileErrorMessage(std::string_view name, int kind) {
  char path[kPathBufferSize];
  copyText(path, sizeof path, name);
  if (kind == 0) MakeFullPath(path, true);
  const char* format = scriptMessage(kind != 0 ? kFileErrorMessage : kFileErrorLongNameMessage);
  char text[kMessageBufferSize];
  formatScriptMessage(text, sizeof text, format ? format : "%s", {FormatArg(path)});
  AbortMessage(text);
  return 1;
}

}  // namespace merl
