// Reading and writing whole books under the lock-file protocol.
#include "server/books/record_table.h"

#include <sys/stat.h>

#include "platform/files.h"
#include "server/constants.h"
#include "server/lock_file.h"

namespace cvlm {

bool readBookRecords(const std::string& name, std::size_t recordSize, std::string& records) {
  waitForUnlock(name);
  if (!platform::readWholeFile(name, records, static_cast<std::size_t>(kMaxUploadedBookBytes))) {
    // Only a file that holds records and could not be read counts.
    struct stat st{};
    return ::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode);
  }
  records.resize(records.size() - records.size() % recordSize);
  return true;
}

int writeBook(const std::string& name, std::string_view bytes) {
  LockFileGuard lock(name);
  return writeFileThroughTemp(name, bytes, name + kBookSaveSuffix) ? kSaveWritten : kSaveCannotOpen;
}

}  // namespace cvlm
