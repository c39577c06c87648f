// Service table and the default services read from ".service.bk.default":
// comma-separated lines of name, ten numbers and a comment.
#include "server/books/service_table.h"

#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "server/log.h"

namespace cvlm {

namespace {

// One read of the original line reader holds at most 127 characters.
constexpr std::size_t kReadChars = 127;
constexpr int kServiceFields = 11;

// Text-mode reading: CRLF line ends read as LF.
std::string textModeContent(const std::string& raw) {
  std::string out;
  out.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i)
    if (!(raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')) out += raw[i];
  return out;
}

// The successive reads: each ends after its line end or after 127 characters,
// and as a C string at its first zero byte.
std::vector<std::string_view> lineReads(std::string_view text) {
  std::vector<std::string_view> reads;
  while (!text.empty()) {
    std::size_t n = text.find('\n');
    n = n == std::string_view::npos ? text.size() : n + 1;
    if (n > kReadChars) n = kReadChars;
    std::string_view read = text.substr(0, n);
    reads.push_back(read.substr(0, read.find('\0')));
    text.remove_prefix(n);
  }
  return reads;
}

// Fields between commas; adjacent commas are one separator.
std::vector<std::string_view> splitFields(std::string_view read) {
  std::vector<std::string_view> fields;
  std::size_t i = 0;
  while (fields.size() < kServiceFields) {
    i = read.find_first_not_of(',', i);
    if (i == std::string_view::npos) break;
    std::size_t end = read.find(',', i);
    if (end == std::string_view::npos) end = read.size();
    fields.push_back(read.substr(i, end - i));
    i = end;
  }
  return fields;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Decimal text to a 32-bit long: white space, a sign, digits; no digits give
// 0 and values out of range clamp to the 32-bit limits.
std::int32_t decimalNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<std::int64_t>(INT32_MAX) + 1) value = static_cast<std::int64_t>(INT32_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<std::int32_t>(value);
}

std::uint8_t lowByte(std::string_view text) { return static_cast<std::uint8_t>(decimalNumber(text) & 0xFF); }

bool isBlank(std::string_view read) {
  for (char c : read)
    if (c != ',' && !isSpace(c)) return false;
  return true;
}

// A service from the fields of one read; fields that are missing stay zero.
BService serviceFromFields(const std::vector<std::string_view>& f) {
  BService s;
  auto field = [&f](std::size_t n) { return n <= f.size() ? f[n - 1] : std::string_view(); };
  formats::setFieldText(s.name, field(1));
  s.value4 = lowByte(field(2));
  s.value1 = decimalNumber(field(3));
  s.value2 = decimalNumber(field(4));
  s.value5 = lowByte(field(5));
  s.value3 = decimalNumber(field(6));
  for (std::size_t k = 0; k < 4; ++k) s.values6to9[k] = lowByte(field(7 + k));
  formats::setFieldText(s.comment, field(11));
  return s;
}

}  // namespace

ServiceTable::ServiceTable(std::uint32_t sensorAddress) : RecordTable(sensorAddress) {
  // A book that could not be read is not empty: it is never overwritten.
  if (readable() && records_.empty()) createDefaultService();
}

void ServiceTable::createDefaultService() {
  writeLog("ServiceTable::createDefaultService()");
  std::string raw;
  if (!platform::readWholeFile(std::string() + kDefaultServiceFile, raw)) {
    writeLogf("Open file error: %s", kDefaultServiceFile);
    return;
  }
  const std::string text = textModeContent(raw);
  for (std::string_view read : lineReads(text)) {
    if (isBlank(read)) continue;
    add(serviceFromFields(splitFields(read)));
  }
  save();
}

}  // namespace cvlm
