#include "interp/sound_record.h"

#include <cstring>
#include <string>

#include "entry/dll_main.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "win/help_sound.h"
#include "win/library.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

inline constexpr BYTE kLoop = 0x01;
inline constexpr BYTE kVideo = 0x02;
inline constexpr BYTE kVideoDisplayFlag = 0x04;
inline constexpr DWORD kVideoStyle = win::WS_CHILD | win::WS_VISIBLE | kVideoNoMenu | kVideoNoPlayBar;

ScriptMedia& media() { return run().state<ScriptMedia>(); }

VideoWindowCreateProc videoCreator() {
  ScriptMedia& m = media();
  if (!m.videoLibrary) {
    m.videoLibrary = win::LoadLibrary(kVideoLibrary);
    if (m.videoLibrary) m.createVideoWindow = win::procAddress<VideoWindowCreateProc>(m.videoLibrary, kVideoWindowExport);
  }
  return m.createVideoWindow;
}

void playVideo(const std::string& file, BYTE flags, int x, int y) {
  SetupRec* setup = run().setup();
  if (!setup) return;
  if (flags & kLoop)
    setup->displayFlags |= kVideoDisplayFlag;
  else
    setup->displayFlags &= static_cast<BYTE>(~kVideoDisplayFlag);
  VideoWindowCreateProc create = videoCreator();
  if (!create) return;
  HWND window = create(setup->mainWindow, ownModule(), kVideoStyle, file.c_str());
  if (!window) return;
  int left = static_cast<int>(static_cast<long long>(x) * setup->screenWidth / kGridWidth);
  int top = static_cast<int>(static_cast<long long>(y) * setup->screenHeight / kGridHeight);
  win::SetWindowPos(window, nullptr, left, top, 0, 0, win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
  win::SendMessage(window, kMciPlay, 0, 0);
}

}  // namespace

ScriptMedia::~ScriptMedia() {
  if (videoLibrary) win::FreeLibrary(videoLibrary);
}

int SoundRecord(const Record& record) {
  BYTE flags = record.flags();
  std::string file = expanded(record.string(0), kTitleSize);
  if (!file.empty()) {
    char full[kPathBufferSize] = {};
    std::memcpy(full, file.data(), file.size());
    if (MakeFullPath(full, false)) file = full;
  }
  if (flags & kVideo) {
    playVideo(file, flags, record.int16(2), record.int16(4));
  } else if (file.empty()) {
    win::sndPlaySound(nullptr, 0);
    media().soundPlaying = false;
  } else {
    win::sndPlaySound(file.c_str(), win::SND_ASYNC | win::SND_NODEFAULT | ((flags & kLoop) ? win::SND_LOOP : 0));
    media().soundPlaying = true;
  }
  return kNextRecord;
}

void StopScriptSound() {
  ScriptMedia& m = media();
  if (!m.soundPlaying) return;
  win::sndPlaySound(nullptr, 0);
  m.soundPlaying = false;
}

}  // namespace merl
