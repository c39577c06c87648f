// The copy callback: one transcript line per call ("copy": call, offset, count,
// copied, target) and one per disk prompt ("disk-prompt": at_end, reopen, result).
#include "copy_callback.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "constants.h"
#include "standin_run.h"
#include "win/files.h"
#include "win/machine.h"

namespace merl_standin {

namespace {

bool isOpen(win::HANDLE file) { return file && file != win::INVALID_HANDLE_VALUE; }

// Asks the runtime for the next disk file; true when one is open, positioned at the
// read offset less the disk base.
bool nextDisk(StandinRun& run, win::INT atEnd, win::INT reopen) {
  if (!run.diskPrompt) return false;
  win::INT result = run.diskPrompt(atEnd, reopen);
  win::machine().transcript().write(
      "disk-prompt", win::JsonObject().add("at_end", atEnd).add("reopen", reopen).add("result", result));
  merl::SetupRec& rec = run.record;
  if (result != 0 || !isOpen(rec.installFile)) return false;
  win::DWORD position = rec.readOffset - rec.diskBaseOffset;
  win::LONG high = 0;
  win::SetFilePointer(rec.installFile, static_cast<win::LONG>(position), &high, win::FILE_BEGIN);
  return true;
}

// Puts n bytes where the copy goes: the copy memory when set, else the destination file.
bool deliver(merl::SetupRec& rec, win::HANDLE destination, const char* bytes, win::DWORD n, win::DWORD done) {
  if (rec.copyDestination) {
    std::memcpy(static_cast<char*>(rec.copyDestination) + done, bytes, n);
    return true;
  }
  win::DWORD written = 0;
  return isOpen(destination) && win::WriteFile(destination, bytes, n, &written, nullptr) && written == n;
}

// The copy itself; sets the error byte on a read (2) or write (1) failure.
win::DWORD copyBytes(StandinRun& run, win::HANDLE destination, win::DWORD count) {
  merl::SetupRec& rec = run.record;
  std::vector<char> buffer(std::min<std::size_t>(count, kCopyBlockBytes));
  win::DWORD done = 0;
  int prompts = 0;
  while (done < count) {
    if (!isOpen(rec.installFile)) {
      if (++prompts > kMaxDiskPromptsPerCopy || !nextDisk(run, 0, 0)) break;
      continue;
    }
    win::DWORD want = static_cast<win::DWORD>(std::min<std::size_t>(count - done, buffer.size()));
    win::DWORD got = 0;
    if (!win::ReadFile(rec.installFile, buffer.data(), want, &got, nullptr)) {
      rec.errorByte = 2;
      break;
    }
    if (got == 0) {
      if (++prompts > kMaxDiskPromptsPerCopy || !nextDisk(run, 1, 1)) break;
      continue;
    }
    if (!deliver(rec, destination, buffer.data(), got, done)) {
      rec.errorByte = 1;
      break;
    }
    rec.readOffset += got;
    done += got;
  }
  return done;
}

// The first call whose range of the installation data covers the --read-error-at offset.
bool takesReadError(StandinRun& run, win::DWORD offset, win::DWORD count) {
  const auto& at = run.options.readErrorAt;
  if (!at || run.readErrorGiven || count == 0) return false;
  std::uint64_t end = static_cast<std::uint64_t>(offset) + count;
  if (*at < offset || *at >= end) return false;
  run.readErrorGiven = true;
  return true;
}

}  // namespace

win::DWORD copyCallback(win::HANDLE, win::HANDLE destination, win::DWORD count, win::LPVOID context) {
  StandinRun& run = standinRun();
  merl::SetupRec& rec = run.record;
  win::DWORD call = ++run.copyCalls;
  win::DWORD offset = rec.readOffset;
  if (run.options.abortAt && *run.options.abortAt == call) rec.abortFlag = 1;
  if (run.options.errorByteAt && run.options.errorByteAt->call == call) rec.errorByte = run.options.errorByteAt->value;
  bool readError = takesReadError(run, offset, count);
  win::DWORD copied = 0;
  if (readError) rec.errorByte = 2;
  else copied = copyBytes(run, destination, count);
  win::machine().transcript().write("copy", win::JsonObject()
                                                .add("call", call)
                                                .add("offset", offset)
                                                .add("count", count)
                                                .add("copied", copied)
                                                .add("target", rec.copyDestination ? "memory" : "handle")
                                                .add("context", context != nullptr)
                                                .add("read_error", readError));
  return copied;
}

}  // namespace merl_standin
