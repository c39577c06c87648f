// The one formatter for script messages used as formats ("Cannot run %s").
// Script texts are never printf formats: only %s %c %d %ld %u take an argument,
// in order, while arguments remain; every other '%' stays as written.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>

namespace merl {

// One argument: a text or a number.
class FormatArg {
 public:
  FormatArg(std::string_view text) : text_(text) {}
  FormatArg(const char* text) : text_(text ? text : "") {}
  FormatArg(const std::string& text) : text_(text) {}
  template <typename N, typename = std::enable_if_t<std::is_integral_v<N>>>
  FormatArg(N number) : isNumber_(true), number_(static_cast<std::int64_t>(number)) {}

  bool isNumber() const { return isNumber_; }
  std::string_view text() const { return text_; }
  std::int64_t number() const { return number_; }

 private:
  bool isNumber_ = false;
  std::string_view text_;
  std::int64_t number_ = 0;
};

// Formats into destination (capacity bytes, always terminated when capacity > 0):
// %s gives a text (a number in decimal), %c one character (a text's first), %d and
// %ld a signed 32-bit decimal, %u an unsigned one (a text argument gives its text).
// A conversion past the last argument, and any other '%', is copied literally.
// Returns the length written.
std::size_t formatScriptMessage(char* destination, std::size_t capacity, std::string_view format,
                                std::span<const FormatArg> args);

inline std::size_t formatScriptMessage(char* destination, std::size_t capacity, std::string_view format,
                                       std::initializer_list<FormatArg> args) {
  return formatScriptMessage(destination, capacity, format, std::span<const FormatArg>(args.begin(), args.size()));
}

}  // namespace merl
