// The GARelation book of one sensor: which address belongs to which group.
#pragma once

#include "server/books/record_table.h"
#include "server/books/records.h"

namespace cvlm {

class GARelation : public RecordTable<GA, GARELATION_BOOK> {
 public:
  // Loads the book and rebuilds every entry from its two names, so the bytes
  // after each name's terminator are zero.
  explicit GARelation(std::uint32_t sensorAddress);

  std::int32_t count() const { return size(); }
  // Copies the group name and the address name of an entry; out stays as it
  // was when the position does not exist.
  void getAt(int index, GA& out) const;
};

}  // namespace cvlm
