// Address book look-up by name.
#include "server/books/address_table.h"

namespace cvlm {

std::int32_t AddressTable::indexOf(std::string_view name) const {
  for (std::size_t i = 0; i < records_.size(); ++i)
    if (formats::fieldText(records_[i].name) == name) return static_cast<std::int32_t>(i);
  return -1;
}

}  // namespace cvlm
