// The end steps of MerlMain.
#include "entry/end_of_run.h"

#include <string>

#include "constants.h"
#include "entry/copy_progress.h"
#include "entry/ctl3d_setup.h"
#include "entry/dde_server.h"
#include "entry/main_state.h"
#include "entry/mif_status.h"
#include "entry/placed_graphics.h"
#include "entry/restart.h"
#include "entry/runtime_bitmaps.h"
#include "entry/screen_services.h"
#include "entry/support_files.h"
#include "files/self_register.h"
#include "interp/cursor.h"
#include "interp/sound_record.h"
#include "interp/temp_files.h"
#include "log/install_log.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "ui/dialog_look.h"
#include "ui/message_dlg.h"
#include "win/files.h"
#include "win/gdi.h"
#include "win/help_sound.h"
#include "win/message.h"
#include "win/system.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr char kInternalError[] = "Internal Error";
constexpr char kAbortedLine[] = "Installation Aborted!";
constexpr int kMessageDone = 1;
constexpr int kMessageWriteError = 2;
constexpr int kMessageError = 7;

int errorMessageNumber(BYTE errorByte) { return errorByte == 1 ? kMessageWriteError : kMessageError; }

int showError(SetupRec& setup, int result) {
  if (setup.errorByte) {
    const char* text = scriptMessage(errorMessageNumber(setup.errorByte));
    AbortMessage(text ? text : kInternalError);
    return kAbort;
  }
  return setup.abortFlag ? kAbort : result;
}

void writeFinalLine(SetupRec& setup, int result) {
  if (!scriptMessage(kMessageDone)) return;
  if (!lastErrorText().empty()) LogFinalLine(lastErrorText());
  else if (setup.errorByte) LogFinalLine(scriptMessage(errorMessageNumber(setup.errorByte)));
  else if (result == kAbort) LogFinalLine(kAbortedLine);
  else LogFinalLine(scriptMessage(kMessageDone));
}

void closeDown(SetupRec& setup) {
  CloseCopyDialog();
  if (setup.installFile && setup.installFile != win::INVALID_HANDLE_VALUE) win::CloseHandle(setup.installFile);
  setup.installFile = win::INVALID_HANDLE_VALUE;
  CloseLog();
  StopScriptSound();
  WriteMifStatus();
}

void broadcastSettings() {
  if (!cursor().settingsChanged) return;
  win::SendMessage(win::HWND_BROADCAST, win::WM_WININICHANGE, 0, 0);
  if (run().platform.win32)
    win::SendMessage(win::HWND_BROADCAST, win::WM_WININICHANGE, 0, reinterpret_cast<win::LPARAM>("Environment"));
}

void closeHelp(SetupRec& setup) {
  char help[kValueSlotSize] = {};
  GetVar("HELPFILE", help, sizeof help);
  if (help[0]) win::WinHelp(setup.mainWindow, help, win::HELP_QUIT, 0);
}

void destroyMainWindow(SetupRec& setup) {
  if (!setup.mainWindow) return;
  win::DestroyWindow(setup.mainWindow);
  win::MSG msg{};
  for (int i = 0; i < kMaxQuitMessages && win::GetMessage(&msg, nullptr, 0, 0); ++i) {
    win::TranslateMessage(&msg);
    win::DispatchMessage(&msg);
  }
}

void freeRunMemory(SetupRec& setup) {
  FreeGraphics();
  if (setup.drawingObject) win::DeleteObject(setup.drawingObject);
  setup.drawingObject = nullptr;
  if (setup.scriptMemory) win::GlobalFree(setup.scriptMemory);
  setup.scriptMemory = nullptr;
  setup.scriptImage = nullptr;
  run().scriptImage = nullptr;
  run().scriptLength = 0;
  DeleteTempFiles();
  setup.messageTable = nullptr;
}

}  // namespace

void ReleaseStartUp() {
  MainState& m = mainState();
  RemoveSupportFiles();
  ReleaseCtl3d();
  FreeRuntimeBitmaps();
  m.dialogBlock.clear();
  m.dialogBlock.shrink_to_fit();
}

int EndRun(int result, int* exitCode, char* program, char* arguments) {
  SetupRec& setup = *run().setup();
  MainState& m = mainState();
  result = showError(setup, result);
  if (result == kEndMark || result == kGoOn) SelfRegister();
  if (result != kEndMark) writeFinalLine(setup, result);
  closeDown(setup);
  broadcastSettings();
  HandleRestart(exitCode, program, arguments);
  PlaceRestartLauncher();
  if (run().runState == kStateExtractExitZero) *exitCode = 0;
  if (m.ddeRunning) StopDdeServer();
  m.ddeRunning = false;
  closeHelp(setup);
  PumpUntilTimer(kEndWaitMs, true);
  CloseInternetLibrary();
  ReleaseCtl3d();
  destroyMainWindow(setup);
  ReleaseStartUp();
  freeRunMemory(setup);
  DeleteDialogFont();
  return result == kGoOn ? 0 : 1;
}

}  // namespace merl
