// GARelation book: entries rebuilt from their names.
#include "books/ga_relation.h"

namespace cvlm {

GARelation::GARelation(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {
  for (GA& entry : records_) entry = GA(fieldText(entry.groupName), fieldText(entry.addressName));
}

void GARelation::getAt(int index, GA& out) const {
  if (!exists(index)) return;
  const GA& entry = records_[static_cast<std::size_t>(index)];
  setFieldText(out.groupName, fieldText(entry.groupName));
  setFieldText(out.addressName, fieldText(entry.addressName));
}

}  // namespace cvlm
