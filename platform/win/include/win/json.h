// A small JSON writer for the transcript: objects and arrays of strings,
// integers and booleans, written compactly in insertion order. Control bytes,
// '"', '\' and non-ASCII bytes are escaped (\u00XX of the byte).
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace win {

class JsonArray;

class JsonObject {
 public:
  // Adds a string field.
  JsonObject& add(std::string_view key, std::string_view text);
  // Adds a string field (keeps string literals from turning into booleans).
  JsonObject& add(std::string_view key, const char* text) { return add(key, std::string_view(text)); }
  // Adds a string field.
  JsonObject& add(std::string_view key, const std::string& text) { return add(key, std::string_view(text)); }
  // Adds a boolean field.
  JsonObject& add(std::string_view key, bool value);
  // Adds an integer field.
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  JsonObject& add(std::string_view key, T value) {
    if constexpr (std::is_signed_v<T>) return addInteger(key, static_cast<std::int64_t>(value));
    else return addUnsigned(key, static_cast<std::uint64_t>(value));
  }
  // Adds a nested object.
  JsonObject& add(std::string_view key, const JsonObject& object);
  // Adds an array.
  JsonObject& add(std::string_view key, const JsonArray& array);
  // Appends every field of other.
  JsonObject& append(const JsonObject& other);
  // The object's text.
  std::string text() const { return "{" + body_ + "}"; }

 private:
  JsonObject& addInteger(std::string_view key, std::int64_t value);
  JsonObject& addUnsigned(std::string_view key, std::uint64_t value);
  JsonObject& addRaw(std::string_view key, const std::string& json);
  std::string body_;
};

class JsonArray {
 public:
  // Appends a string.
  JsonArray& add(std::string_view text);
  // Appends a string.
  JsonArray& add(const char* text) { return add(std::string_view(text)); }
  // Appends a string.
  JsonArray& add(const std::string& text) { return add(std::string_view(text)); }
  // Appends a boolean.
  JsonArray& add(bool value);
  // Appends an integer.
  template <std::integral T>
    requires(!std::same_as<T, bool>)
  JsonArray& add(T value) {
    if constexpr (std::is_signed_v<T>) return addRaw(std::to_string(static_cast<std::int64_t>(value)));
    else return addRaw(std::to_string(static_cast<std::uint64_t>(value)));
  }
  // Appends an object.
  JsonArray& add(const JsonObject& object) { return addRaw(object.text()); }
  // Appends an array.
  JsonArray& add(const JsonArray& array) { return addRaw(array.text()); }
  // The array's text.
  std::string text() const { return "[" + body_ + "]"; }

 private:
  JsonArray& addRaw(const std::string& json);
  std::string body_;
};

// text as a JSON string literal, quotes included.
std::string jsonString(std::string_view text);

}  // namespace win
