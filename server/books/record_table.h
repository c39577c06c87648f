// The shape shared by every record table: one sensor's book read whole in
// the constructor (after its lock is gone), positional look-ups, and for the
// writable tables add and save under the book's lock.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "server/books/book_files.h"

namespace cvlm {

// Results of add and save.
inline constexpr int kAddAppended = 1;
inline constexpr int kAddAlreadyThere = 2;
inline constexpr int kSaveWritten = 1;
inline constexpr int kSaveCannotOpen = 4;

// Whole records of a book into records, read after its lock file is gone; a
// trailing partial record is ignored and a missing book reads as empty.
// False (records empty) when the book is a regular file that cannot be read
// or is larger than kMaxUploadedBookBytes.
bool readBookRecords(const std::string& name, std::size_t recordSize, std::string& records);
// Writes the book whole under its lock: a temporary file, every write and the
// close checked, then a rename over the book. kSaveWritten or kSaveCannotOpen
// (the old book is then left as it was).
int writeBook(const std::string& name, std::string_view bytes);

// 0-based index of a 1-based book position (-1 for 0 and below).
inline int indexOfPosition(std::int32_t position) { return position > 0 ? position - 1 : -1; }

template <class Record, int Type>
class RecordTable {
 public:
  explicit RecordTable(std::uint32_t sensorAddress) : sensorAddress_(sensorAddress) {
    std::memset(bookName_, 0, sizeof bookName_);
    backupFileName(Type, bookName_, sensorAddress_);
    load();
  }
  ~RecordTable() = default;
  RecordTable(const RecordTable&) = delete;
  RecordTable& operator=(const RecordTable&) = delete;

  // Copies the record at a 0-based position; out stays as it was when the
  // position does not exist.
  void getAt(int index, Record& out) const {
    if (exists(index)) out = records_[static_cast<std::size_t>(index)];
  }
  std::int32_t size() const { return static_cast<std::int32_t>(records_.size()); }
  const std::vector<Record>& records() const { return records_; }
  std::uint32_t sensorAddress() const { return sensorAddress_; }
  const char* bookName() const { return bookName_; }
  // False when the book is a file that could not be read (the table is then empty).
  bool readable() const { return readable_; }

 protected:
  bool exists(int index) const { return index >= 0 && static_cast<std::size_t>(index) < records_.size(); }

  // kAddAlreadyThere when an equal record is in the table, else appends.
  int addRecord(const Record& record) {
    for (const Record& r : records_)
      if (std::memcmp(&r, &record, sizeof record) == 0) return kAddAlreadyThere;
    records_.push_back(record);
    return kAddAppended;
  }

  int saveRecords() const {
    return writeBook(bookName_, std::string_view(reinterpret_cast<const char*>(records_.data()),
                                                 records_.size() * sizeof(Record)));
  }

  std::vector<Record> records_;

 private:
  void load() {
    std::string bytes;
    readable_ = readBookRecords(bookName_, sizeof(Record), bytes);
    records_.resize(bytes.size() / sizeof(Record));
    if (!bytes.empty()) std::memcpy(static_cast<void*>(records_.data()), bytes.data(), bytes.size());
  }

  std::uint32_t sensorAddress_;
  char bookName_[kBookNameSize];
  bool readable_ = true;
};

}  // namespace cvlm
