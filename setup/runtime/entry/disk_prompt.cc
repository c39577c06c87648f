// DiskPrompt: closes a finished disk file, works out the next disk's number,
// name and base offset, and opens it from %INST%, asking for the disk while it
// cannot be opened.
#include "entry/disk_prompt.h"

#include <cstdio>

#include "constants.h"
#include "entry/copy_progress.h"
#include "entry/screen_services.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "text/path_text.h"
#include "win/dialog.h"
#include "win/files.h"
#include "win/library.h"
#include "win/message_box.h"

namespace merl {

inline constexpr DWORD kDiskBeepOption = 0x800;
inline constexpr std::size_t kSavedStatusSize = 261;  // 260 characters and the NUL
inline constexpr long kLastDiskNumber = 99;          // "W%02d" has room for two digits

std::string diskFileName(std::string programName, long number) {
  if (programName.size() < 3 || number > kLastDiskNumber) return "";
  char ending[4];
  if (number > 1)
    std::snprintf(ending, sizeof ending, "W%02ld", number);
  else
    std::snprintf(ending, sizeof ending, "EXE");
  programName.replace(programName.size() - 3, 3, ending);
  return programName;
}

long diskNumberOf(DWORD readOffset, DWORD firstDiskOffset, DWORD diskSize) {
  if (static_cast<win::LONG>(diskSize) <= 0) return 1;
  return static_cast<long>((static_cast<unsigned long long>(readOffset) + firstDiskOffset) / diskSize + 1);
}

namespace {

std::string programFileName(const SetupRec& setup) {
  char module[win::MAX_PATH + 1] = {};
  win::GetModuleFileName(setup.setupInstance, module, sizeof module);
  return PathFileName(module);
}

std::string installDirectory() {
  char inst[kValueSlotSize] = {};
  GetVar("INST", inst, sizeof inst);
  std::string dir(inst);
  if (dir.empty() || *LastCharOf(inst) != '\\') dir += '\\';
  return dir;
}

// Closes the copy progress the first time the disk is asked for; its status text is kept.
struct HiddenProgress {
  bool hidden = false;
  std::string status;

  void hide(CopyProgressLink& progress) {
    if (hidden || !progress.showing) return;
    char text[kSavedStatusSize] = {};
    if (progress.copyDialog) win::GetDlgItemText(progress.copyDialog, kCopyStatusControl, text, sizeof text);
    status = text;
    CloseCopyDialog();
    hidden = true;
  }
};

HANDLE openDiskFile(const std::string& name) {
  if (name.empty()) return win::INVALID_HANDLE_VALUE;
  std::string path = installDirectory() + name;
  return win::CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr, win::OPEN_EXISTING, 0,
                         nullptr);
}

// Opens the disk file (none is found without a name), asking for the disk until it opens or
// the user gives up.
bool openDisk(SetupRec& setup, const std::string& name) {
  CopyProgressLink& progress = run().state<CopyProgressLink>();
  HiddenProgress hiddenProgress;
  for (int round = 0; round < kDiskPromptRounds; ++round) {
    setup.installFile = openDiskFile(name);
    if (setup.installFile != win::INVALID_HANDLE_VALUE) {
      if (hiddenProgress.hidden) ReopenCopyProgress(hiddenProgress.status);
      UpdateScreen(0);
      return true;
    }
    if (setup.silentFlag) break;
    hiddenProgress.hide(progress);
    if (setup.optionWord & kDiskBeepOption) win::MessageBeep(0);
    DiskDialogOutcome outcome = run().state<DiskDialogLink>().show();
    if (outcome.result == kDiskDialogGiveUp || outcome.result < 0 || outcome.cancelAction) break;
  }
  return false;
}

}  // namespace

}  // namespace merl

extern "C" win::INT DiskPrompt(win::INT atEnd, win::INT reopen) {
  using namespace merl;
  Run* current = currentRun();
  SetupRec* setup = current ? current->setup() : nullptr;
  if (!setup) return 1;
  const ScriptHeader& header = scriptHeader();
  if (setup->installFile != win::INVALID_HANDLE_VALUE && setup->installFile != nullptr) {
    if (atEnd && header.diskSize == 0) {
      setup->abortFlag = 2;
      setup->errorByte = 2;
      return 1;
    }
    if (header.diskSize == 0 || !reopen) return 1;
    win::CloseHandle(setup->installFile);
    setup->installFile = win::INVALID_HANDLE_VALUE;
  }
  long number = diskNumberOf(setup->readOffset, header.diskOffsetAdjust, header.diskSize);
  SetVar("DISK_NUMBER", std::to_string(number));
  unsigned long long base = static_cast<unsigned long long>(number - 1) * header.diskSize;
  if (number > 1) base -= header.diskOffsetAdjust;
  setup->diskBaseOffset = static_cast<DWORD>(base);
  if (openDisk(*setup, diskFileName(programFileName(*setup), number))) return 0;
  setup->abortFlag = 1;
  return 1;
}
