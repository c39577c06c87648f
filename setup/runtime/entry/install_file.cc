// SeekInstallFile and the plain ReadFromInstallFile.
#include "entry/install_file.h"

#include "script/script_header.h"
#include "ui/message_dlg.h"
#include "win/files.h"

namespace merl {

namespace {

constexpr BYTE kReadErrorByte = 2;

}  // namespace

void SeekInstallFile() {
  SetupRec* setup = run().setup();
  if (!setup || setup->installFile == win::INVALID_HANDLE_VALUE || !setup->installFile) return;
  DWORD length = win::GetFileSize(setup->installFile, nullptr);
  long long position = static_cast<long long>(setup->readOffset) - setup->diskBaseOffset;
  if (length != win::INVALID_FILE_SIZE && position >= 0 && position < length)
    win::SetFilePointer(setup->installFile, static_cast<win::LONG>(position), nullptr, win::FILE_BEGIN);
  else
    win::SetFilePointer(setup->installFile, 0, nullptr, win::FILE_END);
}

bool ReadFromInstallFile(HANDLE source, HANDLE destination, DWORD count, void* context) {
  SetupRec* setup = run().setup();
  if (!setup || !setup->copyCallback) return false;
  win::SetErrorMode(0);
  setup->copyCallback(source, destination, count, context);
  win::SetErrorMode(win::SEM_NOOPENFILEERRORBOX);
  if (setup->errorByte == kReadErrorByte && !scriptMessage(0)) AbortMessage("Internal Error");
  return setup->errorByte == 0 && setup->abortFlag == 0;
}

}  // namespace merl
