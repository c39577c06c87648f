// SeekInstallFile and ReadFromInstallFile with its read-error question.
#include "entry/install_file.h"

#include "constants.h"
#include "script/script_header.h"
#include "text/message_format.h"
#include "ui/message_dlg.h"
#include "win/files.h"

namespace merl {

namespace {

constexpr BYTE kReadErrorByte = 2;
constexpr int kReadErrorMessage = 37;
constexpr int kReadErrorTitle = 18;
constexpr BYTE kReadErrorFlags = 0x43;

// What a copy changes that a retry puts back: the read offset, the destination file's end
// and the record checksum.
struct CopyStart {
  DWORD readOffset = 0;
  DWORD destinationAt = win::INVALID_SET_FILE_POINTER;
  DWORD checksum = 0;

  CopyStart(const SetupRec& setup, HANDLE destination, const void* context) : readOffset(setup.readOffset) {
    if (destination && destination != win::INVALID_HANDLE_VALUE)
      destinationAt = win::SetFilePointer(destination, 0, nullptr, win::FILE_CURRENT);
    if (context) checksum = *static_cast<const DWORD*>(context);
  }

  void restore(SetupRec& setup, HANDLE destination, void* context) const {
    setup.readOffset = readOffset;
    SeekInstallFile();
    if (destinationAt != win::INVALID_SET_FILE_POINTER) {
      win::SetFilePointer(destination, static_cast<win::LONG>(destinationAt), nullptr, win::FILE_BEGIN);
      win::SetEndOfFile(destination);
    }
    if (context) *static_cast<DWORD*>(context) = checksum;
  }
};

void copyOnce(SetupRec& setup, HANDLE source, HANDLE destination, DWORD count, void* context) {
  win::SetErrorMode(0);
  setup.copyCallback(source, destination, count, context);
  win::SetErrorMode(win::SEM_NOOPENFILEERRORBOX);
}

// The read-error question; true when it is answered with retry.
bool askRetryRead() {
  char text[kMessageBufferSize] = {};
  const char* format = scriptMessage(kReadErrorMessage);
  formatScriptMessage(text, sizeof text, format ? format : "", {});
  const char* title = scriptMessage(kReadErrorTitle);
  return MessageDlg(nullptr, text, title ? title : "", kReadErrorFlags) == kAnswerSecond;
}

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
  const CopyStart start(*setup, destination, context);
  for (;;) {
    copyOnce(*setup, source, destination, count, context);
    if (setup->errorByte != kReadErrorByte) break;
    if (!scriptMessage(0)) {
      AbortMessage("Internal Error");
      break;
    }
    if (!askRetryRead()) break;
    setup->abortFlag = 0;
    setup->errorByte = 0;
    start.restore(*setup, destination, context);
  }
  return setup->errorByte == 0 && setup->abortFlag == 0;
}

}  // namespace merl
