// The transcript's JSON writer.
#include "win/json.h"

namespace win {

std::string jsonString(std::string_view text) {
  static const char* hex = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u >= 0x7F) {
      out += "\\u00";
      out += hex[u >> 4];
      out += hex[u & 15];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

JsonObject& JsonObject::addRaw(std::string_view key, const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += jsonString(key);
  body_ += ':';
  body_ += json;
  return *this;
}

JsonObject& JsonObject::add(std::string_view key, std::string_view text) { return addRaw(key, jsonString(text)); }

JsonObject& JsonObject::add(std::string_view key, bool value) { return addRaw(key, value ? "true" : "false"); }

JsonObject& JsonObject::add(std::string_view key, const JsonObject& object) { return addRaw(key, object.text()); }

JsonObject& JsonObject::add(std::string_view key, const JsonArray& array) { return addRaw(key, array.text()); }

JsonObject& JsonObject::addInteger(std::string_view key, std::int64_t value) {
  return addRaw(key, std::to_string(value));
}

JsonObject& JsonObject::addUnsigned(std::string_view key, std::uint64_t value) {
  return addRaw(key, std::to_string(value));
}

JsonObject& JsonObject::append(const JsonObject& other) {
  if (other.body_.empty()) return *this;
  if (!body_.empty()) body_ += ',';
  body_ += other.body_;
  return *this;
}

JsonArray& JsonArray::addRaw(const std::string& json) {
  if (!body_.empty()) body_ += ',';
  body_ += json;
  return *this;
}

JsonArray& JsonArray::add(std::string_view text) { return addRaw(jsonString(text)); }

JsonArray& JsonArray::add(bool value) { return addRaw(value ? "true" : "false"); }

}  // namespace win
