// A small JSON reader for the test kit: the assembler's layout report, the
// stand-in's result line, the transcript and the doubles' logs. Numbers that
// are written as integers keep their exact 64-bit value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace merl_kit {

class JsonValue {
 public:
  enum class Kind { Null, Bool, Integer, Real, String, Array, Object };

  Kind kind() const { return kind_; }
  bool isNull() const { return kind_ == Kind::Null; }
  bool isNumber() const { return kind_ == Kind::Integer || kind_ == Kind::Real; }
  bool isInteger() const { return kind_ == Kind::Integer; }
  bool isString() const { return kind_ == Kind::String; }
  bool isBool() const { return kind_ == Kind::Bool; }
  bool isObject() const { return kind_ == Kind::Object; }
  bool isArray() const { return kind_ == Kind::Array; }

  // The value as read; 0, false or "" for another kind.
  std::int64_t integer() const { return kind_ == Kind::Integer ? integer_ : static_cast<std::int64_t>(real_); }
  double real() const { return kind_ == Kind::Integer ? static_cast<double>(integer_) : real_; }
  bool boolean() const { return kind_ == Kind::Bool && boolean_; }
  const std::string& text() const { return text_; }

  // A member of an object (null: missing or not an object).
  const JsonValue* find(std::string_view key) const;
  // A member, or a null value when missing.
  const JsonValue& operator[](std::string_view key) const;
  // An element of an array, or a null value past its end.
  const JsonValue& operator[](std::size_t index) const;
  std::size_t size() const { return kind_ == Kind::Array ? items_.size() : members_.size(); }
  const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
  const std::vector<JsonValue>& items() const { return items_; }

 private:
  friend class JsonParser;
  Kind kind_ = Kind::Null;
  bool boolean_ = false;
  std::int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
  std::vector<JsonValue> items_;
  std::vector<std::pair<std::string, JsonValue>> members_;
};

// One JSON value filling the whole text (blanks around it allowed); nullopt with *error
// ("offset N: what") otherwise. \u00XX escapes give the byte XX.
std::optional<JsonValue> parseJson(std::string_view text, std::string* error = nullptr);

// Every non-empty line of text as a JSON value; a line that does not parse is a null value.
std::vector<JsonValue> parseJsonLines(std::string_view text);

}  // namespace merl_kit
