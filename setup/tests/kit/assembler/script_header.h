// The script header: settings by name, the seven product strings, the
// language list, and per language its title and 45 messages.
#pragma once

#include <vector>

#include "field_values.h"

namespace merl_asm {

inline constexpr int kMessageCount = 45;

// Appends the header described by the fields of a "header { ... }" block;
// returns the language count.
int emitScriptHeader(const std::vector<Field>& fields, SourcePos headerPos, Bytes& image);

}  // namespace merl_asm
