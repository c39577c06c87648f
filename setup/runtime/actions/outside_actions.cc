// Numbered actions that hand work to an outside library: f30 (DirectX set-up
// from a source directory) and f34 (an internet transfer to a local path).
#include <cstdio>
#include <vector>

#include "files/file_utils.h"
#include "interp/abort_message.h"
#include "log/install_log.h"
#include "merl/outside_libraries.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "text/path_text.h"
#include "win/files.h"
#include "win/library.h"

#include "entry/internet_transfer.h"
#include "interp/action_params.h"
#include "run.h"
#include "script/expansion.h"

namespace merl {

namespace {

constexpr std::size_t kTransferTextSize = 30720;

constexpr int kDirectXFlagMask = 0x3FFFFF7F;
constexpr int kDirectXOldFlag = 0x40;
constexpr int kDirectXOldFlagNow = 0x200;
constexpr int kDirectXNoExport = -999;
constexpr int kDirectXRestart = 1;
constexpr int kMessageNoLibrary = 6;

int directXFlags(const char* flagsField, const char* overrideField) {
  int flags = ParamNumber(flagsField);
  if (flags & kDirectXOldFlag) flags = (flags & ~kDirectXOldFlag) | kDirectXOldFlagNow;
  if (overrideField[0] && std::string_view(overrideField) != "0") flags = ParamNumber(overrideField);
  return flags;
}

// Calls the loaded library's set-up and logs a failure; RESTART "S" when it asks for one.
void runDirectXSetup(win::HMODULE library, win::HWND window, char* source, int flags) {
  auto setUp = win::procAddress<DirectXSetupProc>(library, kDirectXSetupExport);
  if (!setUp) setUp = win::procAddress<DirectXSetupProc>(library, kDirectXSetupAnsiExport);
  int result = setUp ? setUp(window, source, static_cast<DWORD>(flags)) : kDirectXNoExport;
  if (result < 0) {
    char line[64];
    std::snprintf(line, sizeof line, "DirectX: Could not install, error %d.", result);
    LogLine(line);
  }
  if (result == kDirectXRestart) SetVar("RESTART", "S");
}

// Loads library with its directory current and runs its set-up; 1 when it cannot be loaded.
// The current directory is restored on every path.
int setUpDirectX(win::HWND window, char* source, const char* library, int flags) {
  char saved[kPathBufferSize] = {};
  win::GetCurrentDirectory(sizeof saved, saved);
  char directory[kPathBufferSize];
  copyText(directory, sizeof directory, library);
  std::size_t slash = lastBackslash(directory);
  if (slash != std::string_view::npos) {
    directory[slash == 2 && directory[1] == ':' ? slash + 1 : slash] = '\0';
    win::SetCurrentDirectory(directory);
  }
  int result = 0;
  if (win::HMODULE module = win::LoadLibraryEx(library, nullptr, win::LOAD_WITH_ALTERED_SEARCH_PATH)) {
    runDirectXSetup(module, window, source, flags);
    win::FreeLibrary(module);
  } else {
    ShowAbortMessage(kMessageNoLibrary, library);
    result = 1;
  }
  win::SetCurrentDirectory(saved);
  return result;
}

}  // namespace

}  // namespace merl

extern "C" win::INT f30(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText) return 0;
  char flagsField[kFieldSize];
  char sourceField[kFieldSize];
  char libraryField[kFieldSize];
  char overrideField[kFieldSize];
  const char* at = NextParamField(flagsField, sizeof flagsField, params->parameterText);
  at = NextParamField(sourceField, sizeof sourceField, at);
  at = NextParamField(libraryField, sizeof libraryField, at);
  NextParamField(overrideField, sizeof overrideField, at);
  int flags = directXFlags(flagsField, overrideField);
  if (!(flags & kDirectXFlagMask) || params->runState == kStateTest || !run().platform.win32) return 0;
  char source[kFieldSize];
  char library[kFieldSize];
  ExpandVars256(source, sourceField);
  ExpandVars256(library, libraryField);
  return setUpDirectX(params->mainWindow, source, library, flags);
}

extern "C" win::INT f34(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText || params->runState == kStateTest) return 0;
  char field[kFieldSize];
  char local[kFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  int flags = ParamNumber(field);
  at = NextParamField(field, sizeof field, at);
  ExpandVars256(local, field);
  std::vector<char> text(kTransferTextSize);
  ExpandVars(text.data(), at, text.size());
  return InternetTransfer(text.data(), local, ~flags, 0, 0, 0) != 0 ? 1 : 0;
}
