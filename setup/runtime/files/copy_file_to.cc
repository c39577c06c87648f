// CopyFileTo: blocks of 30720 bytes, the setup record's progress, checksum, abort
// flag and error byte, and the target's old length kept in append mode.
#include "files/copy_file_to.h"

#include <algorithm>
#include <vector>

#include "files/backups.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "run.h"
#include "text/copy_text.h"

namespace merl {

namespace {

bool stopped(const SetupRec* setup) { return setup && (setup->abortFlag != 0 || setup->errorByte != 0); }

// Opens the target for the copy; oldLength gets the length kept before the copy (0 for a new file).
HANDLE openTarget(const char* target, bool append, DWORD& oldLength, bool& created) {
  oldLength = 0;
  created = false;
  if (append) {
    HANDLE file = OpenFileHandle(target, kOpenWrite, false);
    if (file != win::INVALID_HANDLE_VALUE) {
      DWORD end = FileSeek(file, 0, win::FILE_END);
      if (end != win::INVALID_SET_FILE_POINTER) {
        oldLength = end;
        return file;
      }
      win::CloseHandle(file);
    }
    // An existing target that cannot be opened for appending is never replaced.
    if (CheckFileExists(target) == 0) return win::INVALID_HANDLE_VALUE;
  }
  created = true;
  return OpenFileHandle(target, kOpenWrite, true);
}

// Undoes a failed copy: a created target goes, an appended one is cut back.
void undoCopy(HANDLE file, const char* target, bool created, DWORD oldLength) {
  if (created) {
    win::CloseHandle(file);
    win::DeleteFile(target);
    return;
  }
  if (FileSeek(file, static_cast<win::LONG>(oldLength), win::FILE_BEGIN) == oldLength) win::SetEndOfFile(file);
  win::CloseHandle(file);
}

}  // namespace

int CopyFileTo(const char* source, const char* target, char* nameOut, DWORD budget, bool append, DWORD* checksum,
               DWORD* size) {
  SetupRec* setup = currentRun() ? run().setup() : nullptr;
  if (checksum) *checksum = setup && setup->checksumCallback ? setup->checksumCallback(0, nullptr, 0) : 0;
  if (size) *size = 0;
  HANDLE in = OpenFileHandle(source, kOpenRead, false);
  if (in == win::INVALID_HANDLE_VALUE) return kCopyNoSource;
  char backup[kPathBufferSize];
  if (!target) {
    if (!MakeBackupName(backup, source)) {
      win::CloseHandle(in);
      return kCopyNoSource;
    }
    target = backup;
  }
  MakeDirectoryPath(target);
  if (nameOut) copyText(nameOut, kPathBufferSize, target);
  win::SetFileAttributes(target, win::FILE_ATTRIBUTE_NORMAL);
  DWORD oldLength = 0;
  bool created = false;
  HANDLE out = openTarget(target, append, oldLength, created);
  if (out == win::INVALID_HANDLE_VALUE) {
    win::CloseHandle(in);
    return CheckFileExists(target) == 0 ? kCopyNoTarget : kCopyNoSource;
  }
  std::vector<char> block(kCopyBlockSize);
  bool failed = false, readFailed = false;
  while (!stopped(setup)) {
    DWORD got = 0;
    if (!win::ReadFile(in, block.data(), kCopyBlockSize, &got, nullptr)) {
      readFailed = true;
      break;
    }
    if (got == 0) break;
    if (size) *size += got;
    if (checksum && setup && setup->checksumCallback) *checksum = setup->checksumCallback(*checksum, block.data(), got);
    DWORD progress = std::min(got, budget);
    budget -= progress;
    if (setup) setup->bytesDone += progress;
    if (FileWrite(out, block.data(), got) != got) {
      failed = true;
      if (setup) setup->errorByte = 1;
      break;
    }
  }
  if (setup) setup->bytesDone += budget;
  WORD date = 0, time = 0;
  if (GetFileDosDateTime(in, date, time)) SetFileDosDateTime(out, date, time);
  win::CloseHandle(in);
  if (readFailed || failed || stopped(setup)) {
    undoCopy(out, target, created, oldLength);
    return readFailed ? kCopyNoSource : kCopyFailed;
  }
  win::CloseHandle(out);
  return kCopyDone;
}

}  // namespace merl
