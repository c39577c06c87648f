// Support files: each is copied out of the installation file into a temporary
// file; the hook and progress libraries are loaded and their functions looked up.
#include "entry/support_files.h"

#include <cstring>

#include "entry/install_file.h"
#include "entry/main_state.h"
#include "files/temp_files.h"
#include "script/script_header.h"
#include "ui/message_dlg.h"
#include "ui/pump.h"
#include "win/files.h"
#include "win/library.h"

namespace merl {

namespace {

constexpr char kInternalError[] = "Internal Error";

SetupRec& setup() { return *run().setup(); }
DWORD options() { return setup().optionWord; }

bool fail() {
  AbortMessage(kInternalError);
  return false;
}

bool makeName(std::string& name, char letter) {
  char prefix[4] = {'Q', 'D', letter ? letter : 'H', '\0'};
  char path[win::MAX_PATH] = {};
  if (!MakeTempFile(path, prefix)) return false;
  name = path;
  if (letter == '_') {
    win::DeleteFile(path);
    if (name.size() < 3) return false;
    name.replace(name.size() - 3, 3, "EXE");
  }
  return true;
}

// Extracts support file number into the run's list of support files.
bool extract(int number, char letter) {
  std::string name;
  if (ExtractSupportFile(name, letter, number) != 0) return false;
  mainState().supportPaths[number] = name;
  return true;
}

template <typename Proc>
Proc procOf(HINSTANCE library, const char* name) {
  return library ? win::procAddress<Proc>(library, name) : nullptr;
}

bool loadHook() {
  MainState& m = mainState();
  m.hookLibrary = win::LoadLibrary(m.supportPaths[kSupportHook].c_str());
  m.hook = procOf<HookProc>(m.hookLibrary, kHookExport);
  return m.hook != nullptr;
}

// The internal action block with its fixed fields, for the progress library's first call.
ActionParams& startBlock() {
  FillActionBlocks();
  return scriptHeader().internalParams;
}

bool loadProgress() {
  MainState& m = mainState();
  m.progressLibrary = win::LoadLibrary(m.supportPaths[kSupportProgress].c_str());
  m.progress = procOf<ProgressUpdateProc>(m.progressLibrary, kProgressExport);
  if (!m.progress) return false;
  HWND window = m.progress(kProgressStart, 0, &startBlock(), nullptr, 0, 0);
  if (window) Ctl3dSubclassDialog(window);
  return true;
}

void freeLibrary(HINSTANCE& library) {
  if (library) win::FreeLibrary(library);
  library = nullptr;
}

}  // namespace

int ExtractSupportFile(std::string& name, char letter, int number) {
  name.clear();
  std::string made;
  if (!makeName(made, letter)) return fail(), 1;
  HANDLE file = win::CreateFile(made.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS, 0, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) {
    win::DeleteFile(made.c_str());
    return fail(), 1;
  }
  bool copied = ReadFromInstallFile(setup().installFile, file, supportFileSize(setup(), number));
  win::CloseHandle(file);
  // A part of a library or program is never loaded or handed back.
  if (!copied) {
    win::DeleteFile(made.c_str());
    if (scriptMessage(0) || setup().errorByte != 2) AbortMessage(kInternalError);
    return 1;
  }
  name = made;
  return 0;
}

void SkipSupportFile(int number) {
  DWORD size = supportFileSize(setup(), number);
  if (size == 0) return;
  setup().readOffset += size;
  SeekInstallFile();
}

bool ExtractFirstSupportFiles() {
  const PlatformFlags& p = run().platform;
  if ((options() & kOptionPrivateCtl3d) && p.windows9x) {
    if (!extract(kSupportCtl3d9x, 0)) return false;
  } else {
    SkipSupportFile(kSupportCtl3d9x);
  }
  if (options() & kOptionHook) {
    if (!extract(kSupportHook, 0)) return false;
    if (!loadHook()) return fail();
  } else {
    SkipSupportFile(kSupportHook);
  }
  if (options() & kOptionSelfRegister) {
    if (!extract(kSupportSelfRegister, 'J')) return false;
  } else {
    SkipSupportFile(kSupportSelfRegister);
  }
  if (supportFileSize(setup(), kSupportProgress) != 0) {
    if (!extract(kSupportProgress, 'K')) return false;
    if (!loadProgress()) return fail();
  }
  if (supportFileSize(setup(), kSupportInternet) != 0 && !extract(kSupportInternet, 'M')) return false;
  return true;
}

bool ExtractCtl3dNtFile() {
  if ((options() & kOptionPrivateCtl3d) && run().platform.windowsNt) return extract(kSupportCtl3dNt, 0);
  SkipSupportFile(kSupportCtl3dNt);
  return true;
}

bool ExtractLastSupportFiles() {
  if (options() & kOptionRestartLauncher) {
    if (!extract(kSupportRestartLauncher, 0)) return false;
  } else {
    SkipSupportFile(kSupportRestartLauncher);
  }
  return extract(kSupportSystemRestart, '_');
}

void CloseInternetLibrary() {
  MainState& m = mainState();
  if (!m.internetLibrary) return;
  if (auto transfer = procOf<TransferProc>(m.internetLibrary, kTransferExport)) {
    char detail[kTransferDetailSize] = {};
    transfer(&setup().abortFlag, "", "", setup().mainWindow, &setup().bytesDone, 0, 0, 0, 0, detail);
  }
  freeLibrary(m.internetLibrary);
}

void RemoveSupportFiles() {
  MainState& m = mainState();
  if (m.progress) m.progress(kProgressEnd, 0, &scriptHeader().internalParams, nullptr, 0, 0);
  m.progress = nullptr;
  m.hook = nullptr;
  freeLibrary(m.progressLibrary);
  freeLibrary(m.hookLibrary);
  freeLibrary(m.internetLibrary);
  for (int n = kFirstSupportFile; n <= kLastSupportFile; ++n) {
    std::string& path = m.supportPaths[n];
    if (path.empty()) continue;
    if (!(n == kSupportSystemRestart && m.systemRestartHandedBack)) win::DeleteFile(path.c_str());
    path.clear();
  }
}

}  // namespace merl
