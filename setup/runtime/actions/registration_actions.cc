// f10 (a font registered with the system and its font table) and f29 (files
// queued for self-registration and the queue registered, directly or inside
// the busy dialog with the copy progress closed).
#include <string>

#include "actions/startup_files.h"
#include "entry/copy_progress.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "system/reg_values.h"
#include "text/copy_text.h"
#include "win/files.h"
#include "win/font_resources.h"
#include "win/message.h"
#include "win/profile.h"
#include "files/self_register.h"
#include "interp/action_params.h"
#include "run.h"
#include "ui/search_dlg.h"

namespace merl {

namespace {

constexpr int kLocalMachineRoot = 2;
constexpr char kFontResourceExtension[] = ".FOT";
constexpr char kFontsSection[] = "Fonts";

std::string systemDirectory() {
  char dir[kPathBufferSize] = {};
  win::GetSystemDirectory(dir, sizeof dir);
  return dir;
}

std::string windowsDirectory() {
  char dir[kPathBufferSize] = {};
  win::GetWindowsDirectory(dir, sizeof dir);
  return dir;
}

// The name with its last four characters replaced by ".FOT".
std::string resourceName(const std::string& font) { return font.substr(0, font.size() - 4) + kFontResourceExtension; }

// The path AddFontResource gets: a font resource made on NT before 4 for a TrueType file, the
// bare name when the font sits in the Fonts directory on 4 and later, else the font as given
// or in the system directory.
std::string fontPathToRegister(const std::string& font) {
  const PlatformFlags& platform = run().platform;
  std::string path = font;
  if (platform.win32 && !platform.windows9x && !platform.majorAbove3 && font.size() > 4 &&
      equalNoCase(std::string_view(font).substr(font.size() - 4), ".TTF")) {
    std::string system = systemDirectory();
    std::string resource = system + "\\" + resourceName(font);
    win::CreateScalableFontResource(0, resource.c_str(), font.c_str(), system.c_str());
    path = resourceName(font);
  }
  if (platform.majorAbove3) {
    std::string inFonts = windowsDirectory() + "\\Fonts\\" + font;
    path = CheckFileExists(inFonts.c_str()) == 0 ? font : systemDirectory() + "\\" + font;
  }
  return path;
}

// The font name's entry in the system's font table: the registry on 32-bit Windows, else WIN.INI.
void recordFont(const std::string& name, const std::string& path) {
  const PlatformFlags& platform = run().platform;
  if (platform.win32) {
    std::string key = std::string("Software\\Microsoft\\Windows") + (platform.windows9x ? "" : " NT") +
                      "\\CurrentVersion\\Fonts";
    WriteRegValue(kLocalMachineRoot, key.c_str(), name.c_str(), kTypeSz,
                  reinterpret_cast<const win::BYTE*>(path.c_str()), static_cast<win::DWORD>(path.size() + 1), false);
  } else {
    win::WriteProfileString(kFontsSection, name.c_str(), path.c_str());
  }
}

bool silentRun() {
  SetupRec* setup = run().setup();
  return setup && setup->silentFlag;
}

}  // namespace

}  // namespace merl

extern "C" win::INT f10(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText || params->runState == kStateTest) return 0;
  char font[kFieldSize];
  char name[kFieldSize];
  const char* at = NextParamField(font, sizeof font, params->parameterText);
  copyText(name, sizeof name, at);
  std::string path = fontPathToRegister(font);
  win::AddFontResource(path.c_str());
  if (name[0]) recordFont(name, path);
  win::PostMessage(win::HWND_BROADCAST, win::WM_FONTCHANGE, 0, 0);
  return 0;
}

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
