// Small text helpers shared by the state-file readers.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The fields of a line between separators ("a\t\tb" gives "a", "", "b").
std::vector<std::string> splitFields(std::string_view line, char separator);

}  // namespace platform
