// Reading and writing whole books under the lock-file protocol.
#include "server/books/record_table.h"

#include "platform/files.h"
#include "server/constants.h"
#include "server/held_files.h"
#include "server/lock_file.h"

namespace cvlm {

bool readBookRecords(const std::string& name, std::size_t recordSize, std::string& records) {
  waitForUnlock(name);
  if (!platform::readWholeFile(name, records, static_cast<std::size_t>(kMaxUploadedBookBytes))) {
    // Only a file that holds records and could not be read counts.
    return !platform::isRegularFile(name);
  }
  records.resize(records.size() - records.size() % recordSize);
  return true;
}

int writeBook(const std::string& name, std::string_view bytes) {
  LockFileGuard lock(name);
  return writeFileThroughTemp(name, bytes, name + kBookSaveSuffix) ? kSaveWritten : kSaveCannotOpen;
}

}  // namespace cvlm
