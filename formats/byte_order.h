// Little-endian field access for wire and file records: the one place that
// turns bytes at an offset into integers and texts and back, shared by both
// servers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace formats {

inline std::int32_t getInt32(const void* base, std::size_t offset) {
  const unsigned char* p = static_cast<const unsigned char*>(base) + offset;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                                   static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24);
}

inline void putInt32(void* base, std::size_t offset, std::int32_t value) {
  unsigned char* p = static_cast<unsigned char*>(base) + offset;
  std::uint32_t v = static_cast<std::uint32_t>(value);
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
  p[2] = static_cast<unsigned char>(v >> 16);
  p[3] = static_cast<unsigned char>(v >> 24);
}

// The text of a fixed-size character field: up to its first zero byte, never
// past the field.
inline std::string getText(const void* base, std::size_t offset, std::size_t size) {
  const char* p = static_cast<const char*>(base) + offset;
  return std::string(p, strnlen(p, size));
}

// Copies text into a fixed-size field, zero-padded, keeping a terminator
// (at most size - 1 characters).
inline void putText(void* base, std::size_t offset, std::size_t size, std::string_view text) {
  char* p = static_cast<char*>(base) + offset;
  std::memset(p, 0, size);
  if (size == 0 || text.empty()) return;
  std::memcpy(p, text.data(), text.size() < size ? text.size() : size - 1);
}

// The same two for a character-array field of a record.
template <std::size_t N>
std::string_view fieldText(const char (&field)[N]) {
  return std::string_view(field, strnlen(field, N));
}

template <std::size_t N>
void setFieldText(char (&field)[N], std::string_view text) {
  putText(field, 0, N, text);
}

}  // namespace formats
