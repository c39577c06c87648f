// Expansion of %NAME% references in record texts by the current run's variables.
#pragma once

#include <cstddef>
#include <string_view>

namespace merl {

inline constexpr std::size_t kExpandLimit256 = 256;

// Replaces each reference in source by its variable's value and writes the result
// to destination, at most limit - 1 characters and always terminated (nothing is
// written for limit 0). A '%' that starts no variable's name is removed with the
// text up to and including the next '%'. Values are not expanded again.
// destination may be source's own buffer (source.data() == destination); then the
// text is not cut to limit - 1 before the scan, only the result is.
void ExpandVars(char* destination, std::string_view source, std::size_t limit);

// ExpandVars for a text written to the log as it stands: CR and LF in the inserted values
// become blanks, so no value adds a line; the text's own line ends stay.
void ExpandVarsForLog(char* destination, std::string_view source, std::size_t limit);

// ExpandVars with a limit of 256.
void ExpandVars256(char* destination, std::string_view source);

}  // namespace merl
