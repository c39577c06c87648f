// Book transfer requests: upload (2) of a sensor book record by record, with
// the rule push when asked, and download (3) of a whole book in one unit.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "server/books/book_files.h"
#include "server/books/rule_table.h"
#include "server/books/service_table.h"
#include "server/constants.h"
#include "server/dispatcher.h"
#include "server/lock_file.h"
#include "server/log.h"

namespace cvlm {

namespace {

// uploadBook arguments, counted from the header start.
constexpr std::size_t kUploadTypeOffset = kArgsOffset;
constexpr std::size_t kUploadCountOffset = kArgsOffset + 4;
constexpr std::size_t kUploadSizeOffset = kArgsOffset + 8;
constexpr std::size_t kUploadAddressOffset = kArgsOffset + 12;
constexpr std::size_t kUploadPushOffset = kArgsOffset + 16;
// downloadBook arguments.
constexpr std::size_t kDownloadTypeOffset = kArgsOffset;
constexpr std::size_t kDownloadSizeOffset = kArgsOffset + 4;
constexpr std::size_t kDownloadAddressOffset = kArgsOffset + 8;
// downloadBook result payload.
constexpr std::size_t kResultCountOffset = kPayloadOffset;
constexpr std::size_t kResultRecordSizeOffset = kPayloadOffset + 4;

constexpr const char* kTempSuffix = ".tmp";

std::uint32_t addressAt(const RqH& header, std::size_t offset) {
  std::uint32_t address;
  std::memcpy(&address, reinterpret_cast<const unsigned char*>(&header) + offset, sizeof address);
  return address;
}

// Fills an empty Service or Rule book with its defaults: constructing the
// table writes them.
void fillDefaults(int bookType, std::uint32_t sensor) {
  if (bookType == SERVICE_BOOK) ServiceTable services(sensor);
  if (bookType == RULE_BOOK) RuleTable rules(sensor);
}

// Writes name + ".tmp" and renames it over the book in one step, under the
// book's lock and the temporary file's lock; the old book stays on failure.
bool replaceBook(const std::string& name, const std::string& records) {
  LockFileGuard lock(name);
  std::string temp = name + kTempSuffix;
  LockFileGuard tempLock(temp);
  return writeFileThroughTemp(name, records, temp);
}

// Creates the book empty when it does not exist; an existing book is kept.
bool openOrCreateBook(const std::string& name) {
  int fd = ::open(name.c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// The whole book, when it is a regular file no larger than an upload may make it.
bool readBookFile(const std::string& name, std::string& book) {
  return platform::readWholeFile(name, book, static_cast<std::size_t>(kMaxUploadedBookBytes));
}

// Reads the whole book, creating it empty when it does not exist; an empty
// Service or Rule book is first filled with its defaults. False when the
// book cannot be created or read, or is larger than an upload may make it.
bool readBook(std::int32_t bookType, std::uint32_t sensor, const std::string& name, std::string& book) {
  waitForUnlock(name);
  if (!openOrCreateBook(name) || !readBookFile(name, book)) return false;
  if (bookType == SERVICE_BOOK) writeLog("Dispatcher::downloadBook::Type=SERVICE_BOOK");
  if (bookType == RULE_BOOK) writeLog("Dispatcher::downloadBook::Type=RULE_BOOK");
  if (book.empty() && (bookType == SERVICE_BOOK || bookType == RULE_BOOK)) {
    writeLog("Dispatcher::downloadBook::fsize=0");
    fillDefaults(bookType, sensor);
    waitForUnlock(name);
    if (!readBookFile(name, book)) return false;
  }
  return true;
}

}  // namespace

void Dispatcher::uploadBook(RqH& header, MgrRequestResult& result) {
  writeLog("Dispatcher::uploadBook()");
  std::int32_t bookType = formats::getInt32(&header, kUploadTypeOffset);
  std::uint32_t sensor = addressAt(header, kUploadAddressOffset);
  result.type = storeUploadedBook(header, bookType, sensor);
  if (result.type == MRR_TYPE_Success && bookType == RULE_BOOK && header.bytes()[kUploadPushOffset] != 0) {
    uploadRule(header, result);
    return;
  }
  sendMRR(result);
}

// Receives the announced records and replaces the book with them.
std::int32_t Dispatcher::storeUploadedBook(const RqH& header, std::int32_t bookType, std::uint32_t sensor) {
  char name[kBookNameSize] = {};
  int recordSize = backupFileName(bookType, name, sensor);
  if (recordSize == 0) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_Book_Type_Error");
    return MRR_TYPE_Book_Type_Error;
  }
  if (formats::getInt32(&header, kUploadSizeOffset) != recordSize) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_RuleSize_Error");
    return MRR_TYPE_RuleSize_Error;
  }
  std::int64_t count = formats::getInt32(&header, kUploadCountOffset);
  // No buffer is had for such a count: the dispatcher's catch-all answers 0.
  if (count < 0 || count * recordSize > kMaxUploadedBookBytes) throw std::bad_array_new_length();
  std::string records;
  if (!receiveBookRecords(count, static_cast<std::size_t>(recordSize), records)) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_Not_Enough_Data_Error");
    return MRR_TYPE_Not_Enough_Data_Error;
  }
  if (!replaceBook(name, records)) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  if (count == 0 && bookType == SERVICE_BOOK) fillDefaults(bookType, sensor);
  return MRR_TYPE_Success;
}

// One unit per record; false when a record comes short.
bool Dispatcher::receiveBookRecords(std::int64_t count, std::size_t recordSize, std::string& records) {
  std::string record(recordSize, '\0');
  for (std::int64_t i = 0; i < count; ++i) {
    std::memset(record.data(), 0, recordSize);
    if (connection_.receive(record.data(), recordSize) != static_cast<long>(recordSize)) return false;
    records += record;
  }
  return true;
}

void Dispatcher::downloadBook(RqH& header, MgrRequestResult& result) {
  std::int32_t bookType = formats::getInt32(&header, kDownloadTypeOffset);
  std::uint32_t sensor = addressAt(header, kDownloadAddressOffset);
  char name[kBookNameSize] = {};
  int recordSize = backupFileName(bookType, name, sensor);
  writeLogf("Dispatcher::downloadBook(), type = %d", bookType);
  if (recordSize == 0) {
    writeLog("Dispatcher::downloadBook::MRR_TYPE_Book_Type_Error");
    result.type = MRR_TYPE_Book_Type_Error;
    sendMRR(result);
    return;
  }
  std::int32_t expected = formats::getInt32(&header, kDownloadSizeOffset);
  if (expected != recordSize) {
    writeLog("Dispatcher::downloadBook::MRR_TYPE_RuleSize_Error");
    result.type = MRR_TYPE_RuleSize_Error;
    sendMRR(result);
    return;
  }
  writeLogf("Dispatcher::downloadBook::entrySize=%d , rgh->option.downloadbook.sizeperrecord=%d", recordSize,
            expected);
  writeLogf("Dispatcher::downloadBook::open filename=%s", name);
  std::string book;
  if (!readBook(bookType, sensor, name, book)) {
    writeLog("Dispatcher::downloadBook::MRR_TYPE_Openfile_Error");
    result.type = MRR_TYPE_Openfile_Error;
    sendMRR(result);
    return;
  }
  std::int32_t fileSize = static_cast<std::int32_t>(book.size());
  std::int32_t records = fileSize / recordSize;
  formats::putInt32(&result, kResultCountOffset, records);
  formats::putInt32(&result, kResultRecordSizeOffset, recordSize);
  writeLogf("Dispatcher::downloadBook::entrySize=%d, Records=%d, file size=%d ", recordSize, records, fileSize);
  result.type = MRR_TYPE_Success;
  sendMRR(result);
  connection_.sendToUI(book.data(), book.size());
}

}  // namespace cvlm
