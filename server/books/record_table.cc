// Reading and writing whole books under the lock-file protocol.
#include "books/record_table.h"

#include "constants.h"
#include "lock_file.h"
#include "platform/files.h"

namespace cvlm {

std::string readBookRecords(const std::string& name, std::size_t recordSize) {
  waitForUnlock(name);
  std::string bytes;
  if (!platform::readWholeFile(name, bytes)) return {};
  bytes.resize(bytes.size() - bytes.size() % recordSize);
  return bytes;
}

int writeBook(const std::string& name, std::string_view bytes) {
  LockFileGuard lock(name);
  return writeFileThroughTemp(name, bytes, name + kBookSaveSuffix) ? kSaveWritten : kSaveCannotOpen;
}

}  // namespace cvlm
