// File transfer requests: upload (13) and download (14) of a named file in
// the working directory, in pieces of at most 900 bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>

#include "dispatcher.h"
#include "lock_file.h"
#include "log.h"
#include "platform/files.h"
#include "protocol.h"
#include "requests/file_names.h"
#include "wire.h"

namespace cvlm {

namespace {

constexpr std::size_t kPieceSize = 900;
// Request arguments, counted from the header start.
constexpr std::size_t kFileNameOffset = kArgsOffset;
constexpr std::size_t kFileSizeOffset = kArgsOffset + kFileNameField;
// Result payload: the size of a downloaded file.
constexpr std::size_t kResultFileSizeOffset = kPayloadOffset;

// Opens a regular file for reading without blocking on a FIFO; -1 for
// anything else or a file larger than the 32-bit size field can say.
int openRegularFile(const std::string& name, std::int32_t& size) {
  int fd = ::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st{};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > std::numeric_limits<std::int32_t>::max()) {
    ::close(fd);
    return -1;
  }
  size = static_cast<std::int32_t>(st.st_size);
  return fd;
}

}  // namespace

void Dispatcher::uploadFile(RqH& header, MgrRequestResult& result) {
  std::string name = transferFileName(header.bytes() + kFileNameOffset);
  std::int32_t fileSize = getInt32(header.bytes(), kFileSizeOffset);
  writeLogf("Dispatcher::uploadFile() %s:", name.c_str());
  writeLogf("Dispatcher::uploadFile::filename=%s , fileSize=%d", name.c_str(), fileSize);
  result.type = receiveUploadedFile(name, fileSize);
  sendMRR(result);
}

// Receives the pieces into name + ".tmp" and renames it over the file only
// when every byte arrived; the old file stays on any failure.
std::int32_t Dispatcher::receiveUploadedFile(const std::string& name, std::int32_t fileSize) {
  if (!isConfinedFileName(name)) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  LockFileGuard lock(name);
  std::string temp = name + ".tmp";
  LockFileGuard tempLock(temp);
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  std::int32_t code = MRR_TYPE_Success;
  unsigned char piece[kPieceSize];
  for (std::int64_t remaining = fileSize; remaining > 0;) {
    std::size_t n = remaining < static_cast<std::int64_t>(kPieceSize) ? static_cast<std::size_t>(remaining) : kPieceSize;
    if (connection_.receive(piece, n) != static_cast<long>(n)) {
      writeLog("Dispatcher::uploadFile::MRR_TYPE_Not_Enough_Data_Error");
      code = MRR_TYPE_Not_Enough_Data_Error;
      break;
    }
    if (!platform::writeAll(fd, piece, n)) {
      writeLog("upload file:fwrite return != 1");
      writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
      code = MRR_TYPE_Openfile_Error;
      break;
    }
    remaining -= static_cast<std::int64_t>(n);
  }
  if (::close(fd) != 0 && code == MRR_TYPE_Success) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    code = MRR_TYPE_Openfile_Error;
  }
  if (code == MRR_TYPE_Success && !platform::renameReplace(temp, name)) {
    writeLog("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error");
    code = MRR_TYPE_Openfile_Error;
  }
  if (code != MRR_TYPE_Success) ::unlink(temp.c_str());
  return code;
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
  putInt32(result.bytes(), kResultFileSizeOffset, fileSize);
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
