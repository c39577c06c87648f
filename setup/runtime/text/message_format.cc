// The one formatter for script messages: ordered arguments, literal '%' for
// everything it does not convert, output cut to the destination.
#include "text/message_format.h"

#include <string>

namespace merl {

namespace {

enum class Conversion { kNone, kText, kChar, kSigned, kUnsigned };

// The conversion at format[at] (a '%') and its length; kNone when it is none of ours.
Conversion conversionAt(std::string_view format, std::size_t at, std::size_t* length) {
  char c = at + 1 < format.size() ? format[at + 1] : '\0';
  *length = 2;
  switch (c) {
    case 's': return Conversion::kText;
    case 'c': return Conversion::kChar;
    case 'd': return Conversion::kSigned;
    case 'u': return Conversion::kUnsigned;
    case 'l':
      if (at + 2 < format.size() && format[at + 2] == 'd') {
        *length = 3;
        return Conversion::kSigned;
      }
      return Conversion::kNone;
    default: return Conversion::kNone;
  }
}

std::string render(Conversion conversion, const FormatArg& arg) {
  if (!arg.isNumber()) {
    if (conversion == Conversion::kChar) return std::string(arg.text().substr(0, 1));
    return std::string(arg.text());
  }
  switch (conversion) {
    case Conversion::kChar: {
      auto byte = static_cast<char>(static_cast<unsigned char>(arg.number()));
      return byte ? std::string(1, byte) : std::string();  // a NUL would end the text
    }
    case Conversion::kSigned: return std::to_string(static_cast<std::int32_t>(arg.number()));
    case Conversion::kUnsigned: return std::to_string(static_cast<std::uint32_t>(arg.number()));
    default: return std::to_string(arg.number());
  }
}

}  // namespace

std::size_t formatScriptMessage(char* destination, std::size_t capacity, std::string_view format,
                                std::span<const FormatArg> args) {
  if (capacity == 0) return 0;
  format = format.substr(0, format.find('\0'));
  const std::size_t limit = capacity - 1;
  std::string out;
  std::size_t next = 0;
  for (std::size_t at = 0; at < format.size() && out.size() < limit;) {
    std::size_t length = 1;
    Conversion conversion = format[at] == '%' ? conversionAt(format, at, &length) : Conversion::kNone;
    if (conversion != Conversion::kNone && next < args.size()) {
      out += render(conversion, args[next++]);
      at += length;
    } else {
      out += format[at++];
    }
  }
  if (out.size() > limit) out.resize(limit);
  out.copy(destination, out.size());
  destination[out.size()] = '\0';
  return out.size();
}

}  // namespace merl
