// Book transfer requests: upload (2) of a sensor book record by record, with
// the rule push when asked, and download (3) of a whole book in one unit.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "platform/files.h"
#include "server/books/book_files.h"
#include "server/books/rule_table.h"
#include "server/books/service_table.h"
#include "server/constants.h"
#include "server/held_files.h"
#include "server/lock_file.h"
#include "server/log.h"
#include "server/push/rule_push.h"
#include "server/request_records.h"
#include "server/requests/handlers.h"

namespace cvlm {

namespace {

constexpr const char* kTempSuffix = ".tmp";

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
bool openOrCreateBook(const std::string& name) { return platform::File::openOrCreate(name).isOpen(); }

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

// One unit per record; false when a record comes short.
bool receiveBookRecords(UISocket& console, std::int64_t count, std::size_t recordSize, std::string& records) {
  std::string record(recordSize, '\0');
  for (std::int64_t i = 0; i < count; ++i) {
    std::memset(record.data(), 0, recordSize);
    if (console.receive(record.data(), recordSize) != static_cast<long>(recordSize)) return false;
    records += record;
  }
  return true;
}

// Receives the announced records and replaces the book with them.
std::int32_t storeUploadedBook(UISocket& console, const UploadBookArgs& args) {
  char name[kBookNameSize] = {};
  int recordSize = backupFileName(args.bookType, name, args.sensorAddress);
  if (recordSize == 0) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_Book_Type_Error");
    return MRR_TYPE_Book_Type_Error;
  }
  if (args.recordSize != recordSize) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_RuleSize_Error");
    return MRR_TYPE_RuleSize_Error;
  }
  std::int64_t count = args.recordCount;
  // No buffer is had for such a count: the dispatcher's catch-all answers 0.
  if (count < 0 || count * recordSize > kMaxUploadedBookBytes) throw std::bad_array_new_length();
  std::string records;
  if (!receiveBookRecords(console, count, static_cast<std::size_t>(recordSize), records)) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_Not_Enough_Data_Error");
    return MRR_TYPE_Not_Enough_Data_Error;
  }
  if (!replaceBook(name, records)) {
    writeLog("Dispatcher::uploadBook::MRR_TYPE_Openfile_Error");
    return MRR_TYPE_Openfile_Error;
  }
  if (count == 0 && args.bookType == SERVICE_BOOK) fillDefaults(args.bookType, args.sensorAddress);
  return MRR_TYPE_Success;
}

}  // namespace

void uploadBook(UISocket& console, const RqH& header, MgrRequestResult& result) {
  UploadBookArgs args = header.argsAs<UploadBookArgs>();
  std::int32_t stored = storeUploadedBook(console, args);
  if (stored == MRR_TYPE_Success && args.bookType == RULE_BOOK && args.pushRules != 0) {
    uploadRule(console, args.sensorAddress, result);
    return;
  }
  answer(console, result, stored);
}

void downloadBook(UISocket& console, const RqH& header, MgrRequestResult& result) {
  DownloadBookArgs args = header.argsAs<DownloadBookArgs>();
  char name[kBookNameSize] = {};
  int recordSize = backupFileName(args.bookType, name, args.sensorAddress);
  writeLogf("Dispatcher::downloadBook(), type = %d", args.bookType);
  if (recordSize == 0) {
    writeLog("Dispatcher::downloadBook::MRR_TYPE_Book_Type_Error");
    answer(console, result, MRR_TYPE_Book_Type_Error);
    return;
  }
  if (args.recordSize != recordSize) {
    writeLog("Dispatcher::downloadBook::MRR_TYPE_RuleSize_Error");
    answer(console, result, MRR_TYPE_RuleSize_Error);
    return;
  }
  writeLogf("Dispatcher::downloadBook::entrySize=%d , rgh->option.downloadbook.sizeperrecord=%d", recordSize,
            args.recordSize);
  writeLogf("Dispatcher::downloadBook::open filename=%s", name);
  std::string book;
  if (!readBook(args.bookType, args.sensorAddress, name, book)) {
    writeLog("Dispatcher::downloadBook::MRR_TYPE_Openfile_Error");
    answer(console, result, MRR_TYPE_Openfile_Error);
    return;
  }
  std::int32_t fileSize = static_cast<std::int32_t>(book.size());
  std::int32_t records = fileSize / recordSize;
  result.setPayload(DownloadBookResult{records, recordSize});
  writeLogf("Dispatcher::downloadBook::entrySize=%d, Records=%d, file size=%d ", recordSize, records, fileSize);
  answer(console, result, MRR_TYPE_Success);
  console.sendToUI(book.data(), book.size());
}

}  // namespace cvlm
