// Range checks by field type, string checks, duplicate fields, byte writes.
#include "field_values.h"

#include <set>

namespace merl_asm {

namespace {

struct Range {
  std::int64_t low, high;
  const char* name;
};

Range rangeOf(FieldType type) {
  switch (type) {
    case FieldType::U8: return {0, 0xFF, "u8"};
    case FieldType::U16: return {0, 0xFFFF, "u16"};
    case FieldType::I16: return {-0x8000, 0x7FFF, "i16"};
    case FieldType::U32: return {0, 0xFFFFFFFFll, "u32"};
  }
  return {0, 0, "?"};
}

std::string fieldKey(const Field& field) {
  if (!field.qualifier) return field.name;
  const Value& q = *field.qualifier;
  return field.name + " " + (q.kind == Value::Kind::Number ? std::to_string(q.number) : q.text);
}

}  // namespace

std::uint32_t fieldNumber(const Value& v, FieldType type, std::string_view field) {
  if (v.kind != Value::Kind::Number) throw SourceError(v.pos, std::string(field) + " takes a number");
  Range r = rangeOf(type);
  if (v.number < r.low || v.number > r.high)
    throw SourceError(v.pos, "value " + std::to_string(v.number) + " out of range for " + std::string(field) +
                                 " (" + r.name + ": " + std::to_string(r.low) + " to " + std::to_string(r.high) + ")");
  return static_cast<std::uint32_t>(v.number);
}

const std::string& fieldText(const Value& v, std::string_view field) {
  if (v.kind != Value::Kind::String) throw SourceError(v.pos, std::string(field) + " takes a string");
  if (v.text.find('\0') != std::string::npos)
    throw SourceError(v.pos, "a string cannot hold a NUL byte (use raw)");
  return v.text;
}

void requireDistinctFields(const std::vector<Field>& fields) {
  std::set<std::string> seen;
  for (const Field& field : fields) {
    if (field.name == "language") continue;  // repeats by design
    if (!seen.insert(fieldKey(field)).second)
      throw SourceError(field.pos, "field '" + fieldKey(field) + "' given twice");
  }
}

const Value& plainFieldValue(const Field& field) {
  if (!field.value) throw SourceError(field.pos, "'" + field.name + "' takes '= value', not a block");
  if (field.qualifier) throw SourceError(field.qualifier->pos, "'" + field.name + "' takes no qualifier");
  return *field.value;
}

Bytes hexBytes(const Value& v) {
  if (v.kind != Value::Kind::String) throw SourceError(v.pos, "hex takes a string of hex digit pairs");
  Bytes bytes;
  int high = -1;
  for (char c : v.text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      if (high >= 0) throw SourceError(v.pos, "hex digits must come in pairs");
      continue;
    }
    int d = (c >= '0' && c <= '9') ? c - '0' : (c >= 'a' && c <= 'f') ? c - 'a' + 10 : (c >= 'A' && c <= 'F') ? c - 'A' + 10 : -1;
    if (d < 0) throw SourceError(v.pos, "'" + std::string(1, c) + "' is not a hex digit");
    if (high < 0) {
      high = d;
    } else {
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + d));
      high = -1;
    }
  }
  if (high >= 0) throw SourceError(v.pos, "hex digits must come in pairs");
  return bytes;
}

void putLe(Bytes& bytes, std::size_t offset, std::uint32_t value, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void appendLe(Bytes& bytes, std::uint32_t value, std::size_t width) {
  bytes.resize(bytes.size() + width);
  putLe(bytes, bytes.size() - width, value, width);
}

void appendString(Bytes& bytes, const std::string& text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
  bytes.push_back(0);
}

}  // namespace merl_asm
