// MerlMain: prepares the run (start steps), runs the script in its run state or
// extracts its files, and ends the run.
#include <string>

#include "constants.h"
#include "entry/ctl3d_setup.h"
#include "entry/dde_server.h"
#include "entry/end_of_run.h"
#include "entry/extract_files.h"
#include "entry/install_file.h"
#include "entry/main_state.h"
#include "entry/run_states.h"
#include "entry/runtime_bitmaps.h"
#include "entry/support_files.h"
#include "entry/switches.h"
#include "entry/wizard_class.h"
#include "interp/progman_records.h"
#include "merl/setup_interface.h"
#include "script/script_image.h"
#include "system/platform_flags.h"
#include "ui/dialog_look.h"
#include "ui/message_box_dlg.h"
#include "ui/message_dlg.h"
#include "win/library.h"

namespace merl {

namespace {

void chooseDialogFont(SetupRec& setup) {
  run().state<DialogFontSettings>().light = LightDialogFont(setup.optionWord, run().platform.majorAbove3);
}

// The disk-prompt dialog block, read into memory of its in-memory size (and never less than
// the stored size the copy writes). False when it could not be read.
bool readDialogBlock(SetupRec& setup, MainState& m) {
  DWORD size = setup.dialogBlockSize > setup.dialogBlockStoredSize ? setup.dialogBlockSize : setup.dialogBlockStoredSize;
  m.dialogBlock.assign(size, 0);
  if (setup.dialogBlockStoredSize == 0) return true;
  setup.copyDestination = m.dialogBlock.data();
  bool read = ReadFromInstallFile(setup.installFile, nullptr, setup.dialogBlockStoredSize);
  setup.copyDestination = nullptr;
  return read;
}

// Start steps 2 to 10; false when a support file or the dialog block failed.
bool prepare(SetupRec& setup, const char* commandLine) {
  MainState& m = mainState();
  LoadRuntimeBitmaps();
  InitPlatformFlags();
  chooseDialogFont(setup);
  if (!ExtractFirstSupportFiles() || !ExtractCtl3dNtFile()) return false;
  SetUpCtl3d();
  if (!ExtractLastSupportFiles()) return false;
  if (!readDialogBlock(setup, m)) {
    if (setup.errorByte != 2) AbortMessage("Internal Error");
    return false;
  }
  m.ddeRunning = StartDdeServer();
  if (m.ddeRunning) progmanLink().ddeInstance = ddeInstance();
  std::string_view line = commandLine ? commandLine : "";
  StoreCommandLine(line);
  ParseSwitches(line);
  if (setup.scriptImage) setup.scriptImage[setup.scriptLength] = kEndMarkOpcode;
  m.dataBaseOffset = setup.readOffset;
  return true;
}

}  // namespace

}  // namespace merl

extern "C" win::INT MerlMain(merl::SetupRec* setup, win::LPCSTR commandLine, win::INT* exitCode, win::LPSTR program,
                             win::LPSTR arguments) {
  using namespace merl;
  char programSink[kPathTextLength + 1] = {}, argumentsSink[kPathTextLength + 1] = {};
  int exitSink = 0;
  if (!program) program = programSink;
  if (!arguments) arguments = argumentsSink;
  if (!exitCode) exitCode = &exitSink;
  program[0] = arguments[0] = '\0';
  RegisterWizardClass();
  *exitCode = 1;
  if (!setup) return 1;
  RunScope scope(setup);
  if (!prepare(*setup, commandLine)) {
    ReleaseStartUp();
    return 1;
  }
  int result = run().runState <= kStateManual ? RunInstallation() : RunExtract();
  return EndRun(result, exitCode, program, arguments);
}
