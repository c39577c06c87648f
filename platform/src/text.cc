// Small text helpers shared by the state-file readers.
#include "platform/text.h"

namespace platform {

std::vector<std::string> splitFields(std::string_view line, char separator) {
  std::vector<std::string> fields;
  for (;;) {
    auto at = line.find(separator);
    fields.emplace_back(line.substr(0, at));
    if (at == std::string_view::npos) break;
    line.remove_prefix(at + 1);
  }
  return fields;
}

}  // namespace platform
