// f12 and f19: tests of a system property or of a file, directory, writable
// directory or loaded module; 1 when the test holds, after the optional
// message. Both run in a test run too.
#include <string>

#include "files/file_utils.h"
#include "interp/action_params.h"
#include "run.h"
#include "system/admin_rights.h"
#include "ui/message_dlg.h"
#include "win/access_rights.h"
#include "win/files.h"
#include "win/gdi.h"
#include "win/help_sound.h"
#include "win/library.h"
#include "win/system.h"

namespace merl {

namespace {

constexpr int kCodeMask = 31;
constexpr int kCodeHolds = 32;     // without it the answer is inverted
constexpr int kModeTestMask = 0xC1;
constexpr int kModeQuietStyle = 0x06;  // both bits: the message has button style 0
constexpr BYTE kMessageStyle = 2;
constexpr DWORD kSearchAttributes = 0x17;
constexpr const char* kProbeName = "QDTXINST.%$D";

bool screenAtLeast(int width, int height) {
  return win::GetSystemMetrics(win::SM_CXSCREEN) >= width && win::GetSystemMetrics(win::SM_CYSCREEN) >= height;
}

bool colourDisplay(HWND window) {
  win::HDC dc = win::GetDC(window);
  if (!dc) return false;
  int bits = win::GetDeviceCaps(dc, win::BITSPIXEL) * win::GetDeviceCaps(dc, win::PLANES);
  win::ReleaseDC(window, dc);
  return bits >= 8;
}

bool memoryAtLeast(int megabytes) {
  win::MEMORYSTATUS status{};
  status.dwLength = sizeof status;
  win::GlobalMemoryStatus(&status);
  return status.dwTotalPhys >= static_cast<std::size_t>(megabytes) << 20;
}

bool systemHolds(int code, HWND window) {
  const PlatformFlags& p = run().platform;
  switch (code) {
    case 0: return p.windowsNt;
    case 1: return colourDisplay(window);
    case 2: return screenAtLeast(640, 480);
    case 4: return false;
    case 11: return screenAtLeast(800, 600);
    case 12: return screenAtLeast(1024, 768);
    case 25: return p.windows9x;
    case 26: return p.windowsNt || p.windows9x;
    case 27: return (win::GetVersion() & 0xFF) >= 4;
    case 28: return win::waveOutGetNumDevs() > 0;
    case 29: return win::midiOutGetNumDevs() > 0;
    case 30: return win::waveOutGetNumDevs() > 0 && win::midiOutGetNumDevs() > 0;
    case 31: return CheckAdminRights();
    default: return code >= 13 && code <= 24 ? memoryAtLeast(code - 12) : true;
  }
}

bool foundEntry(const std::string& path, bool directory) {
  FindRecord find;
  bool found = FindFirst(path.c_str(), kSearchAttributes, find) == kFound &&
               ((find.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0) == directory;
  FindEnd(find);
  return found;
}

bool notWritable(std::string directory) {
  if (!directory.empty() && directory.back() != '\\') directory += '\\';
  std::string probe = directory + kProbeName;
  if (probe.size() >= kFieldSize) return true;
  win::UINT oldMode = win::SetErrorMode(win::SEM_FAILCRITICALERRORS);
  HANDLE file = win::CreateFile(probe.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS,
                                win::FILE_ATTRIBUTE_NORMAL, nullptr);
  bool created = file != win::INVALID_HANDLE_VALUE;
  if (created) {
    win::CloseHandle(file);
    win::DeleteFile(probe.c_str());
  }
  win::SetErrorMode(oldMode);
  return !created;
}

bool fileHolds(int test, const std::string& path) {
  switch (test) {
    case 0x00: return CheckFileExists(path.c_str()) == 0;
    case 0x01: return CheckFileExists(path.c_str()) != 0;
    case 0x40: return foundEntry(path, false);
    case 0x41: return foundEntry(path, true);
    case 0x80: return notWritable(path);
    case 0x81: return win::GetModuleHandle(path.c_str()) != nullptr;
    default: return false;
  }
}

HWND ownerOf(const ActionParams* params) { return params ? params->mainWindow : nullptr; }

}  // namespace

}  // namespace merl

extern "C" win::INT f12(merl::ActionParams* params) {
  using namespace merl;
  const char* at = params && params->parameterText ? params->parameterText : "";
  int code = ParamNumber(NextParamField(at).c_str());
  std::string message = NextParamField(at);
  std::string title = NextParamField(at);
  bool holds = systemHolds(code & kCodeMask, ownerOf(params));
  int answer = (code & kCodeHolds) ? holds : !holds;
  if (answer && !message.empty()) MessageDlg(nullptr, message, title, kMessageStyle);
  return answer;
}

extern "C" win::INT f19(merl::ActionParams* params) {
  using namespace merl;
  const char* at = params && params->parameterText ? params->parameterText : "";
  int mode = ParamNumber(NextParamField(at).c_str());
  std::string path = NextParamField(at);
  std::string message = NextParamField(at);
  std::string title = NextParamField(at);
  if (!fileHolds(mode & kModeTestMask, path)) return 0;
  if (!message.empty()) {
    BYTE style = (mode & kModeQuietStyle) == kModeQuietStyle ? 0 : kMessageStyle;
    if (MessageDlg(nullptr, message, title, style) == kAnswerCancel && run().setup()) run().setup()->abortFlag = 1;
  }
  return 1;
}
