// File transfer requests: upload (13) and download (14) of a named file in
// the working directory, in pieces of at most 900 bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "server/constants.h"
#include "server/dispatcher.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/protocol.h"
#include "server/requests/file_names.h"

namespace cvlm {

namespace {

constexpr std::size_t kPieceSize = 900;
// Request arguments, counted from the header start.
constexpr std::size_t kFileNameOffset = kArgsOffset;
constexpr std::size_t kFileSizeOffset = kArgsOffset + kFileNameField;
// Result payload: the size of a downloaded file.
constexpr std::size_t kResultFileSizeOffset = kPayloadOffset;

// Opens a regular file for reading, beneath the working directory and not
// through a link, without blocking on a FIFO; -1 for anything else or a file
// larger than the 32-bit size field can say.
int openRegularFile(const std::string& name, std::int32_t& size) {
  int fd = platform::openBeneath(name, O_RDONLY | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > std::numeric_limits<std::int32_t>::max()) {
    ::close(fd);
    return -1;
  }
  size = static_cast<std::int32_t>(st.st_size);
  return fd;
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
    if (!base_.empty()) dir_ = platform::openBeneath(prefix_.empty() ? "." : prefix_, O_RDONLY | O_DIRECTORY);
  }
  ~UploadTarget() {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) {
      ::unlinkat(dir_, temp_.c_str(), 0);
      releaseHeldFile(prefix_ + temp_, false);
    }
    if (dir_ >= 0) ::close(dir_);
  }
  UploadTarget(const UploadTarget&) = delete;
  UploadTarget& operator=(const UploadTarget&) = delete;

  // Creates "base.upload-N.tmp" with the first N that is free; false when
  // the directory cannot be reached or the file not created.
  bool createTemp() {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; dir_ >= 0 && attempt < kTempAttempts; ++attempt) {
      std::string temp = base_ + kUploadTempInfix + std::to_string(++counter) + ".tmp";
      fd_ = createHeldFile(prefix_ + temp, [&] {
        return ::openat(dir_, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
      });
      if (fd_ >= 0) {
        temp_ = temp;
        return true;
      }
      if (errno != EEXIST) return false;
    }
    return false;
  }
  bool write(const void* data, std::size_t n) { return platform::writeAll(fd_, data, n); }
  // Syncs and closes the temporary file; false when either fails.
  bool finish() {
    bool synced = ::fsync(fd_) == 0;
    bool closed = ::close(fd_) == 0;
    fd_ = -1;
    return synced && closed;
  }
  // Renames the temporary file over the target under the target's lock, the
  // only moment the upload holds it.
  bool replace(const std::string& name) {
    LockFileGuard lock(name);
    if (!platform::renameReplaceAt(dir_, temp_, base_)) return false;
    releaseHeldFile(prefix_ + temp_, false);
    temp_.clear();
    return true;
  }

 private:
  static constexpr int kTempAttempts = 100;

  std::string prefix_, base_, temp_;
  int dir_ = -1;
  int fd_ = -1;
};

}  // namespace

void Dispatcher::uploadFile(RqH& header, MgrRequestResult& result) {
  std::string name = transferFileName(header.bytes() + kFileNameOffset);
  std::int32_t fileSize = formats::getInt32(header.bytes(), kFileSizeOffset);
  writeLogf("Dispatcher::uploadFile() %s:", name.c_str());
  writeLogf("Dispatcher::uploadFile::filename=%s , fileSize=%d", name.c_str(), fileSize);
  result.type = receiveUploadedFile(name, fileSize);
  sendMRR(result);
}

// Receives the pieces into a temporary file of the upload's own and renames
// it over the file only when every byte arrived; the old file stays on any
// failure. No lock is held while the console sends.
std::int32_t Dispatcher::receiveUploadedFile(const std::string& name, std::int32_t fileSize) {
  std::optional<UploadTarget> target;
  if (isConfinedFileName(name)) target.emplace(name);
  if (!target || !target->createTemp()) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  unsigned char piece[kPieceSize];
  for (std::int64_t remaining = fileSize; remaining > 0;) {
    std::size_t n = remaining < static_cast<std::int64_t>(kPieceSize) ? static_cast<std::size_t>(remaining) : kPieceSize;
    if (connection_.receive(piece, n) != static_cast<long>(n)) {
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

void Dispatcher::downloadFile(RqH& header, MgrRequestResult& result) {
  std::string name = transferFileName(header.bytes() + kFileNameOffset);
  writeLog("Dispatcher::downloadFile()");
  std::int32_t fileSize = 0;
  int fd = -1;
  if (isConfinedFileName(name)) {
    waitForUnlock(name);
    fd = openRegularFile(name, fileSize);
  }
  if (fd < 0) {
    writeLog("Dispatcher::downloadFile::MRR_TYPE_Openfile_Error");
    result.type = MRR_TYPE_Openfile_Error;
    sendMRR(result);
    return;
  }
  writeLogf("Dispatcher::downloadFile::filename=%s , filesize=%d", name.c_str(), fileSize);
  result.type = MRR_TYPE_Success;
  formats::putInt32(result.bytes(), kResultFileSizeOffset, fileSize);
  sendMRR(result);
  sendFilePieces(fd, fileSize);
  ::close(fd);
}

// Sends the file in pieces; a failed read ends the transfer rather than
// sending bytes that were never read.
void Dispatcher::sendFilePieces(int fd, std::int32_t fileSize) {
  unsigned char piece[kPieceSize];
  for (std::int32_t remaining = fileSize; remaining > 0;) {
    std::size_t n = remaining < static_cast<std::int32_t>(kPieceSize) ? static_cast<std::size_t>(remaining) : kPieceSize;
    if (!platform::readAll(fd, piece, n)) {
      writeLog("download file:fread != 1");
      return;
    }
    if (connection_.sendToUI(piece, n) != static_cast<long>(n)) return;
    remaining -= static_cast<std::int32_t>(n);
    writeLogf("fileSize=%d", remaining);
  }
}

}  // namespace cvlm
