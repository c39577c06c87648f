// InternetTransfer and the loading of the transfer library.
#include "entry/internet_transfer.h"

#include <cstring>

#include "constants.h"
#include "entry/main_state.h"
#include "entry/screen_services.h"
#include "entry/support_files.h"
#include "script/script_header.h"
#include "text/message_format.h"
#include "ui/message_dlg.h"
#include "win/library.h"
#include "win/message.h"

namespace merl {

namespace {

constexpr int kTransferErrorMessage = 15;

// "t1" of the loaded library; the library is looked for once, when its file exists.
TransferProc transferFunction() {
  MainState& m = mainState();
  TransferLink& link = run().state<TransferLink>();
  const std::string& path = m.supportPaths[kSupportInternet];
  if (!link.loadTried && !path.empty()) {
    link.loadTried = true;
    m.internetLibrary = win::LoadLibrary(path.c_str());
    if (m.internetLibrary) {
      link.transfer = win::procAddress<TransferProc>(m.internetLibrary, kTransferExport);
      link.control = win::procAddress<TransferControlProc>(m.internetLibrary, kTransferControlExport);
    }
  }
  return m.internetLibrary ? link.transfer : nullptr;
}

// Message 15 with the error number, then the library's detail text.
void showTransferError(long long number, const char* detail) {
  char text[kMessageBufferSize] = {};
  const char* format = scriptMessage(kTransferErrorMessage);
  std::size_t length = formatScriptMessage(text, sizeof text, format ? format : "", {number});
  std::size_t room = sizeof text - 1 - length;
  std::strncat(text + length, detail, room);
  AbortMessage(text);
}

}  // namespace

int InternetTransfer(const char* source, const char* destination, int a, int b, int c, int d) {
  SetupRec& setup = *run().setup();
  char detail[kTransferDetailSize] = {};
  long long number = kTransferNoLibrary;
  if (TransferProc transfer = transferFunction()) {
    HWND main = setup.mainWindow;
    bool timer = main && win::SetTimer(main, kTransferTimerId, kTransferTimerMs, nullptr) != 0;
    int result = transfer(&setup.abortFlag, source, destination, main, &setup.bytesDone, a, b, c, d, detail);
    if (timer) win::KillTimer(main, kTransferTimerId);
    detail[kTransferDetailSize - 1] = '\0';
    if (result >= 0) return kTransferDone;
    number = -static_cast<long long>(result);
  }
  if (a != -1 && a != -3) showTransferError(number, detail);
  return kTransferFailed;
}

}  // namespace merl
