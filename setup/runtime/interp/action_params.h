// The action parameter blocks before each call (count, log handle, parameter
// text), and how an action takes its parameter text apart: fields split at
// 0x7F, numeric fields and flag fields.
#pragma once

#include <cstddef>
#include <string>

#include "merl/setup_interface.h"

namespace merl {

inline constexpr char kFieldSeparator = '\x7F';
// Field buffers of the actions: most fields, variable names, and the lines they edit.
inline constexpr std::size_t kFieldSize = 256;
inline constexpr std::size_t kNameFieldSize = 32;
inline constexpr std::size_t kLineFieldSize = 512;

// Stores the per-call fields (variable count, run state, log handle, parameter text) into
// the header reader's internal or external block and returns it.
ActionParams& RefreshInternalParams(char* parameterText);
ExternalActionParams& RefreshExternalParams(char* parameterText);

// Copies the field at position (up to the next 0x7F or the end of the text) into destination,
// cut to capacity - 1 bytes and terminated, and returns the position after the 0x7F, or the
// position of the NUL when the text ended (so later calls give empty fields). A field longer
// than the destination still advances past its whole length.
const char* NextParamField(char* destination, std::size_t capacity, const char* position);
// The same as a text: the field at position, cut to capacity - 1 bytes; position moves past it.
std::string NextParamField(const char*& position, std::size_t capacity = kFieldSize);

// A numeric field: leading blanks, an optional sign, then decimal digits; text that does not
// begin with a number is 0, and values beyond 32 bits saturate.
int ParamNumber(const char* field);

// A flag field: set when its first character is there and is not '0'.
bool ParamFlag(const char* field);

}  // namespace merl
