// f29: files queued for self-registration and the queue registered, directly
// or inside the busy dialog with the copy progress closed.
#include "entry/copy_progress.h"
#include "files/self_register.h"
#include "interp/action_params.h"
#include "run.h"
#include "ui/search_dlg.h"

namespace merl {

namespace {

bool silentRun() {
  SetupRec* setup = run().setup();
  return setup && setup->silentFlag;
}

}  // namespace

}  // namespace merl

extern "C" win::INT f29(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText) return 0;
  char flag[kFieldSize];
  char text[kFieldSize];
  const char* at = NextParamField(flag, sizeof flag, params->parameterText);
  NextParamField(text, sizeof text, at);
  if (flag[0] == '1') {
    QueueSelfRegister(text);
    return 0;
  }
  if (text[0] && !silentRun() && !selfRegisterQueue().entries.empty()) {
    CloseCopyDialog();
    SearchRequest& request = searchRequest();
    request.setMessage(text);
    request.mode = kSearchSelfRegister;
    RunSearchDialog(params->mainWindow);
    return 0;
  }
  SelfRegister();
  return 0;
}
