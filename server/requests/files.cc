// File transfer requests: upload (13) and download (14) of a named file in
// the working directory, in pieces of at most 900 bytes.
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>

#include "platform/files.h"
#include "server/constants.h"
#include "server/held_files.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/request_records.h"
#include "server/requests/file_names.h"
#include "server/requests/handlers.h"

namespace cvlm {

namespace {

constexpr std::size_t kPieceSize = 900;

// Opens a regular file for reading, beneath the working directory and not
// through a link, without blocking on a FIFO; closed for anything else or a
// file larger than the 32-bit size field can say.
platform::File openRegularFile(const std::string& name, std::int32_t& size) {
  platform::File file = platform::File::openBeneathForRead(name);
  std::int64_t bytes = 0;
  if (!file.isOpen() || !file.regularSize(bytes) || bytes > std::numeric_limits<std::int32_t>::max()) return {};
  size = static_cast<std::int32_t>(bytes);
  return file;
}

// Where an upload lands: its directory, opened beneath the working directory
// without following links, and a temporary file of its own in it, created
// exclusively so that no file of the operator's is ever written over.
class UploadTarget {
 public:
  explicit UploadTarget(const std::string& name) {
    std::size_t slash = name.rfind('/');
    prefix_ = slash == std::string::npos ? "" : name.substr(0, slash + 1);
    base_ = name.substr(prefix_.size());
    if (!base_.empty()) dir_ = platform::File::openDirectoryBeneath(prefix_.empty() ? "." : prefix_);
  }

  // Creates "base.upload-N.tmp" with the first N that is free; false when
  // the directory cannot be reached or the file not created.
  bool createTemp() {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; dir_.isOpen() && attempt < kTempAttempts; ++attempt) {
      std::string temp = base_ + kUploadTempInfix + std::to_string(++counter) + ".tmp";
      file_ = std::make_unique<HeldAtomicFile>(base_, temp, HeldAtomicFile::Create::Exclusive, &dir_, prefix_ + temp);
      if (file_->create()) return true;
      file_.reset();
      if (errno != EEXIST) return false;
    }
    return false;
  }
  bool write(const void* data, std::size_t n) { return file_->write(data, n); }
  // Syncs and closes the temporary file.
  bool finish() { return file_->finish(); }
  // Renames the temporary file over the target under the target's lock, the
  // only moment the upload holds it.
  bool replace(const std::string& name) {
    LockFileGuard lock(name);
    return file_->commit();
  }

 private:
  static constexpr int kTempAttempts = 100;

  std::string prefix_, base_;
  platform::File dir_;
  std::unique_ptr<HeldAtomicFile> file_;  // removes the temporary file unless committed
};

// Receives the pieces into a temporary file of the upload's own and renames
// it over the file only when every byte arrived; the old file stays on any
// failure. No lock is held while the console sends.
std::int32_t receiveUploadedFile(UISocket& console, const std::string& name, std::int32_t fileSize) {
  std::optional<UploadTarget> target;
  if (isConfinedFileName(name)) target.emplace(name);
  if (!target || !target->createTemp()) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  unsigned char piece[kPieceSize];
  for (std::int64_t remaining = fileSize; remaining > 0;) {
    std::size_t n = remaining < static_cast<std::int64_t>(kPieceSize) ? static_cast<std::size_t>(remaining) : kPieceSize;
    if (console.receive(piece, n) != static_cast<long>(n)) {
      writeLog("Dispatcher::uploadFile::MRR_TYPE_Not_Enough_Data_Error");
      return MRR_TYPE_Not_Enough_Data_Error;
    }
    if (!target->write(piece, n)) {
      writeLog("upload file:fwrite return != 1");
      writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
      return MRR_TYPE_Openfile_Error;
    }
    remaining -= static_cast<std::int64_t>(n);
  }
  if (!target->finish() || !target->replace(name)) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  return MRR_TYPE_Success;
}

// Sends the file in pieces; a failed read ends the transfer rather than
// sending bytes that were never read.
void sendFilePieces(UISocket& console, platform::File& file, std::int32_t fileSize) {
  unsigned char piece[kPieceSize];
  for (std::int32_t remaining = fileSize; remaining > 0;) {
    std::size_t n = remaining < static_cast<std::int32_t>(kPieceSize) ? static_cast<std::size_t>(remaining) : kPieceSize;
    if (!file.read(piece, n)) {
      writeLog("download file:fread != 1");
      return;
    }
    if (console.sendToUI(piece, n) != static_cast<long>(n)) return;
    remaining -= static_cast<std::int32_t>(n);
    writeLogf("fileSize=%d", remaining);
  }
}

}  // namespace

void uploadFile(UISocket& console, const RqH& header, MgrRequestResult& result) {
  FileArgs args = header.argsAs<FileArgs>();
  std::string name = transferFileName(args.name);
  writeLogf("Dispatcher::uploadFile() %s:", name.c_str());
  writeLogf("Dispatcher::uploadFile::filename=%s , fileSize=%d", name.c_str(), args.fileSize);
  answer(console, result, receiveUploadedFile(console, name, args.fileSize));
}

void downloadFile(UISocket& console, const RqH& header, MgrRequestResult& result) {
  std::string name = transferFileName(header.argsAs<FileArgs>().name);
  std::int32_t fileSize = 0;
  platform::File file;
  if (isConfinedFileName(name)) {
    waitForUnlock(name);
    file = openRegularFile(name, fileSize);
  }
  if (!file.isOpen()) {
    writeLog("Dispatcher::downloadFile::MRR_TYPE_Openfile_Error");
    answer(console, result, MRR_TYPE_Openfile_Error);
    return;
  }
  writeLogf("Dispatcher::downloadFile::filename=%s , filesize=%d", name.c_str(), fileSize);
  result.setPayload(FileSizeResult{fileSize});
  answer(console, result, MRR_TYPE_Success);
  sendFilePieces(console, file, fileSize);
}

}  // namespace cvlm
