// The Service book of one sensor, filled from ".service.bk.default" when it
// is empty.
#pragma once

#include "server/books/record_table.h"
#include "server/books/records.h"

namespace cvlm {

inline constexpr const char* kDefaultServiceFile = ".service.bk.default";

class ServiceTable : public RecordTable<BService, SERVICE_BOOK> {
 public:
  // Loads the book; an empty table gets the default services, an unreadable
  // one nothing.
  explicit ServiceTable(std::uint32_t sensorAddress);

  // kAddAppended, or kAddAlreadyThere when an equal record is present.
  int add(const BService& service) { return addRecord(service); }
  // kSaveWritten or kSaveCannotOpen.
  int save() const { return saveRecords(); }
  // Adds one service per line of ".service.bk.default" and saves the table;
  // a missing file changes nothing.
  void createDefaultService();
};

}  // namespace cvlm
