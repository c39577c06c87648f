// Parsing of the stand-in's options; every value is checked against its range.
#include "options.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "constants.h"

namespace merl_standin {

namespace {

std::optional<std::uint32_t> parseDigits(const std::string& text, int base) {
  if (text.empty() || text.size() > 16) return std::nullopt;
  for (char c : text)
    if (!(base == 16 ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
      return std::nullopt;
  errno = 0;
  unsigned long long v = std::strtoull(text.c_str(), nullptr, base);
  if (errno != 0 || v > 0xFFFFFFFFull) return std::nullopt;
  return static_cast<std::uint32_t>(v);
}

bool hasHexPrefix(const std::string& text) { return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'); }

std::optional<std::uint32_t> parseHex(const std::string& text) {
  return parseDigits(hasHexPrefix(text) ? text.substr(2) : text, 16);
}

bool parseScreen(const std::string& text, StandinOptions& o) {
  auto x = text.find_first_of("xX");
  if (x == std::string::npos) return false;
  auto w = parseDigits(text.substr(0, x), 10);
  auto h = parseDigits(text.substr(x + 1), 10);
  if (!w || !h || *w == 0 || *h == 0 || *w > 32767 || *h > 32767) return false;
  o.screenWidth = static_cast<int>(*w);
  o.screenHeight = static_cast<int>(*h);
  return true;
}

bool parseErrorByteAt(const std::string& text, StandinOptions& o) {
  auto colon = text.find(':');
  if (colon == std::string::npos) return false;
  auto call = parseNumber(text.substr(0, colon));
  auto value = parseNumber(text.substr(colon + 1));
  if (!call || *call == 0 || !value || *value > 0xFF) return false;
  o.errorByteAt = ErrorByteAt{*call, static_cast<std::uint8_t>(*value)};
  return true;
}

// Applies one option that takes a value; false when the value is bad.
bool applyValue(const std::string& name, const std::string& value, StandinOptions& o) {
  if (name == "--image") o.image = value;
  else if (name == "--layout") o.layout = value;
  else if (name == "--runtime") o.runtime = value;
  else if (name == "--module") o.module = value;
  else if (name == "--install-file") o.installFile = value;
  else if (name == "--screen") return parseScreen(value, o);
  else if (name == "--error-byte-at") return parseErrorByteAt(value, o);
  else if (name == "--dde-after") o.ddeAfter = value;
  else if (name == "--options") {
    auto v = parseHex(value);
    if (!v) return false;
    o.options = *v;
  } else {
    auto v = parseNumber(value);
    if (!v) return false;
    if (name == "--data-offset") o.dataOffset = *v;
    else if (name == "--read-error-at") o.readErrorAt = *v;
    else if (name == "--abort-at" && *v > 0) o.abortAt = *v;
    else return false;
  }
  return !value.empty();
}

bool takesValue(const std::string& name) {
  for (const char* known : {"--image", "--layout", "--runtime", "--module", "--options", "--screen", "--install-file",
                            "--data-offset", "--read-error-at", "--abort-at", "--error-byte-at", "--dde-after"})
    if (name == known) return true;
  return false;
}

}  // namespace

std::optional<std::uint32_t> parseNumber(const std::string& text) {
  return hasHexPrefix(text) ? parseDigits(text.substr(2), 16) : parseDigits(text, 10);
}

std::optional<StandinOptions> parseOptions(const std::vector<std::string>& args, std::string* error) {
  StandinOptions o;
  o.module = kDefaultModulePath;
  o.screenWidth = kDefaultScreenWidth;
  o.screenHeight = kDefaultScreenHeight;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      for (std::size_t j = i + 1; j < args.size(); ++j) o.commandLine += (j > i + 1 ? " " : "") + args[j];
      break;
    }
    if (a == "--silent") {
      o.silent = true;
    } else if (takesValue(a)) {
      if (i + 1 >= args.size()) {
        *error = "option " + a + " needs a value";
        return std::nullopt;
      }
      if (!applyValue(a, args[++i], o)) {
        *error = "bad value \"" + args[i] + "\" for " + a;
        return std::nullopt;
      }
    } else {
      *error = "unknown option \"" + a + "\"";
      return std::nullopt;
    }
  }
  if (o.image.empty() || o.layout.empty()) {
    *error = "--image and --layout are required";
    return std::nullopt;
  }
  return o;
}

}  // namespace merl_standin
