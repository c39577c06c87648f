#include "interp/seams.h"

#include "interp/interp_constants.h"
#include "text/message_format.h"

namespace merl {

InterpSeams& seams() { return run().state<InterpSeams>(); }

void ShowAbortMessage(int k, std::string_view arg) {
  const SetupRec* setup = run().setup();
  std::string_view format;
  if (setup && setup->messageTable && k >= 0 && k < kScriptMessageCount && setup->messageTable[k])
    format = setup->messageTable[k];
  char text[kMessageTextSize];
  formatScriptMessage(text, sizeof text, format, {FormatArg(arg)});
  seams().showMessage(k, text);
}

}  // namespace merl
