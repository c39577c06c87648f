// Checked conversions of parsed values into the image's numbers and strings,
// and the little-endian writes every builder uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "record_forms.h"
#include "source_parser.h"

namespace merl_asm {

using Bytes = std::vector<std::uint8_t>;

// The number of v, refused when v is not a number or lies outside type's range.
std::uint32_t fieldNumber(const Value& v, FieldType type, std::string_view field);

// The string of v, refused when v is not a string or holds a NUL byte.
const std::string& fieldText(const Value& v, std::string_view field);

// Refuses a field given twice (name and qualifier alike).
void requireDistinctFields(const std::vector<Field>& fields);

// The value of "name = value"; refuses a block or a qualifier.
const Value& plainFieldValue(const Field& field);

// Bytes written as hex digit pairs, blanks allowed between bytes.
Bytes hexBytes(const Value& v);

void putLe(Bytes& bytes, std::size_t offset, std::uint32_t value, std::size_t width);
void appendLe(Bytes& bytes, std::uint32_t value, std::size_t width);
void appendString(Bytes& bytes, const std::string& text);  // with its NUL

}  // namespace merl_asm
