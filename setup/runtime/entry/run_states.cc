// Run states 0-2 and the script's sections.
#include "entry/run_states.h"

#include "entry/main_state.h"
#include "entry/mif_status.h"
#include "interp/cursor.h"
#include "interp/run_script.h"
#include "log/install_log.h"
#include "script/script_header.h"
#include "ui/message_dlg.h"
#include "win/window.h"

namespace merl {

namespace {

// The header's product strings the log shows.
enum ProductString { kManufacturer = 2, kProduct = 3, kVersion = 4, kSerial = 5, kUninstallMif = 6 };

void startLog() {
  const ScriptHeader& h = scriptHeader();
  LogSettings s;
  s.title = h.title;
  s.uninstallMif = std::string(h.product[kUninstallMif]);
  s.manufacturer = std::string(h.product[kManufacturer]);
  s.product = std::string(h.product[kProduct]);
  s.version = std::string(h.product[kVersion]);
  s.serial = std::string(h.product[kSerial]);
  s.logPath = h.logPath;
  s.noLog = h.noLog;
  StartInstallLog(s);
}

void closeCustomDialog() {
  HWND& dialog = run().state<OpenDialogs>().customDialog;
  if (dialog) win::DestroyWindow(dialog);
  dialog = nullptr;
}

}  // namespace

int RunInstallation() {
  SetupRec& setup = *run().setup();
  MainState& m = mainState();
  int result = ReadScriptHeader();
  if (result != kGoOn) return result;
  const ScriptHeader& h = scriptHeader();
  ScriptCursor& c = cursor();
  c.position = h.position;
  c.languages = h.languageCount;
  c.language = h.language;
  startLog();
  WriteMifStatus();
  setup.bytesDone = 0;
  BYTE keptErrorByte = 0;
  while (setup.abortFlag == 0 && setup.errorByte == 0 && result == kGoOn) {
    result = RunScript();
    if (result == kGoOn) continue;
    closeCustomDialog();
    if (m.section != Section::None) break;
    if ((result == kEndMark || result == kExit) && setup.onExitOffset) {
      result = kGoOn;
      m.section = Section::OnExit;
      c.position = setup.onExitOffset;
    } else if (result == kAbort && setup.onCancelOffset) {
      // The error byte comes back for the end of the run, so its message is shown and logged.
      keptErrorByte = setup.errorByte;
      setup.abortFlag = 0;
      setup.errorByte = 0;
      result = kGoOn;
      m.section = Section::OnCancel;
      c.position = setup.onCancelOffset;
    }
  }
  if (m.section == Section::OnCancel) {
    result = kAbort;
    if (setup.errorByte == 0) setup.errorByte = keptErrorByte;
  }
  if (result == kExit) result = kGoOn;
  if (setup.abortFlag) result = kAbort;
  return result;
}

}  // namespace merl
