// GARelation book: entries rebuilt from their names.
#include "server/books/ga_relation.h"

namespace cvlm {

GARelation::GARelation(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {
  for (GA& entry : records_) entry = GA(formats::fieldText(entry.groupName), formats::fieldText(entry.addressName));
}

void GARelation::getAt(int index, GA& out) const {
  if (!exists(index)) return;
  const GA& entry = records_[static_cast<std::size_t>(index)];
  formats::setFieldText(out.groupName, formats::fieldText(entry.groupName));
  formats::setFieldText(out.addressName, formats::fieldText(entry.addressName));
}

}  // namespace cvlm
