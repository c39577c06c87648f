// Value syntax of machine.ini, each checked strictly, and the cut into sections.
#include "ini_values.h"

#include <array>
#include <chrono>
#include <utility>

#include "platform/text.h"

namespace win::ini {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool isShareName(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return true;
}

bool fixedNumber(std::string_view text, std::size_t at, std::size_t width, int& out) {
  auto n = number(text.substr(at, width), 9999);
  if (!n || text.substr(at, width).size() != width) return false;
  out = static_cast<int>(*n);
  return true;
}

// Patterns of these operations are Windows paths: '/' is written '\'.
bool isPathOperation(platform::FaultOp op) {
  using platform::FaultOp;
  return op == FaultOp::Busy || op == FaultOp::Denied || op == FaultOp::ShortWrite || op == FaultOp::ReadError ||
         op == FaultOp::Create || op == FaultOp::LoadLibraryEx;
}

// One line of the file: a section header, a "key = value" line, or nothing.
bool splitLine(std::string_view line, std::vector<IniSection>& sections, int number, std::string& what) {
  for (char c : line)
    if (static_cast<unsigned char>(c) < 32 && c != '\t') return refuse(what, "control byte in line");
  line = trim(line);
  if (line.empty() || line.front() == ';' || line.front() == '#') return true;
  if (line.front() == '[') {
    std::string_view name = line.back() == ']' ? trim(line.substr(1, line.size() - 2)) : std::string_view();
    if (line.back() != ']' || name.empty()) return refuse(what, "malformed section header");
    sections.push_back({std::string(name), {}});
    return true;
  }
  auto eq = line.find('=');
  if (eq == std::string_view::npos) return refuse(what, "expected \"key = value\"");
  std::string_view key = trim(line.substr(0, eq));
  if (key.empty()) return refuse(what, "missing key before '='");
  if (sections.empty()) return refuse(what, "\"" + std::string(key) + "\" outside any section");
  sections.back().entries.push_back({std::string(key), std::string(trim(line.substr(eq + 1))), number});
  return true;
}

}  // namespace

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}

bool refuse(std::string& what, std::string text) {
  what = std::move(text);
  return false;
}

std::optional<std::uint64_t> number(std::string_view text, std::uint64_t max) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (n > max) return std::nullopt;
  return n;
}

std::optional<std::uint64_t> size(std::string_view text) {
  std::uint64_t unit = 1;
  if (!text.empty()) {
    char s = text.back();
    unit = (s == 'K' || s == 'k') ? 1ull << 10 : (s == 'M' || s == 'm') ? 1ull << 20 : (s == 'G' || s == 'g') ? 1ull << 30 : 1;
    if (unit != 1) text.remove_suffix(1);
  }
  auto n = number(text, UINT64_MAX / unit);
  if (!n) return std::nullopt;
  return *n * unit;
}

bool flag(const IniEntry& e, bool& out, std::string& what) {
  if (e.value != "0" && e.value != "1") return refuse(what, "\"" + e.key + "\" must be 0 or 1");
  out = e.value == "1";
  return true;
}

std::optional<std::string> driveName(std::string_view key) {
  if ((key.size() == 1 || (key.size() == 2 && key[1] == ':')) &&
      ((key[0] >= 'A' && key[0] <= 'Z') || (key[0] >= 'a' && key[0] <= 'z')))
    return std::string(1, static_cast<char>(key[0] & ~0x20));
  if (key.size() < 5 || key.substr(0, 2) != "\\\\") return std::nullopt;
  auto sep = key.find('\\', 2);
  if (sep == std::string_view::npos || !isShareName(key.substr(2, sep - 2)) || !isShareName(key.substr(sep + 1)))
    return std::nullopt;
  return std::string(key);
}

std::optional<std::string> hostPath(std::string_view text) {
  if (text.empty() || text.front() != '/') return std::nullopt;
  while (text.size() > 1 && text.back() == '/') text.remove_suffix(1);
  return std::string(text);
}

std::vector<std::string> splitList(std::string_view text, char separator) {
  auto fields = platform::splitFields(text, separator);
  for (auto& f : fields) f = std::string(trim(f));
  return fields;
}

std::optional<std::uint32_t> serialNumber(std::string_view text) {
  std::string digits;
  if (text.size() == 9 && text[4] == '-') digits = std::string(text.substr(0, 4)) + std::string(text.substr(5));
  else digits = std::string(text);
  if (digits.size() != 8) return std::nullopt;
  std::uint32_t n = 0;
  for (char c : digits) {
    if (!isHex(c)) return std::nullopt;
    n = n * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
  }
  return n;
}

std::optional<SYSTEMTIME> dateTime(std::string_view text) {
  int y, mo, d, h, mi, s;
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || !fixedNumber(text, 0, 4, y) || !fixedNumber(text, 5, 2, mo) || !fixedNumber(text, 8, 2, d) ||
      !fixedNumber(text, 11, 2, h) || !fixedNumber(text, 14, 2, mi) || !fixedNumber(text, 17, 2, s))
    return std::nullopt;
  using namespace std::chrono;
  year_month_day date{year(y), month(static_cast<unsigned>(mo)), day(static_cast<unsigned>(d))};
  if (y < 1980 || y > 2099 || !date.ok() || h > 23 || mi > 59 || s > 59) return std::nullopt;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(y);
  t.wMonth = static_cast<WORD>(mo);
  t.wDay = static_cast<WORD>(d);
  t.wDayOfWeek = static_cast<WORD>(weekday(sys_days(date)).c_encoding());
  t.wHour = static_cast<WORD>(h);
  t.wMinute = static_cast<WORD>(mi);
  t.wSecond = static_cast<WORD>(s);
  return t;
}

std::optional<std::string> registryKey(std::string_view text) {
  static const std::array<std::pair<const char*, const char*>, 10> roots{{
      {"hkcr", "HKEY_CLASSES_ROOT"},
      {"hkey_classes_root", "HKEY_CLASSES_ROOT"},
      {"hkcu", "HKEY_CURRENT_USER"},
      {"hkey_current_user", "HKEY_CURRENT_USER"},
      {"hklm", "HKEY_LOCAL_MACHINE"},
      {"hkey_local_machine", "HKEY_LOCAL_MACHINE"},
      {"hku", "HKEY_USERS"},
      {"hkey_users", "HKEY_USERS"},
      {"hkcc", "HKEY_CURRENT_CONFIG"},
      {"hkey_current_config", "HKEY_CURRENT_CONFIG"},
  }};
  auto sep = text.find('\\');
  std::string root = lower(text.substr(0, sep));
  std::string_view rest = sep == std::string_view::npos ? std::string_view() : text.substr(sep + 1);
  while (!rest.empty() && rest.back() == '\\') rest.remove_suffix(1);
  for (const auto& [alias, name] : roots)
    if (root == alias) return rest.empty() ? std::string(name) : std::string(name) + "\\" + std::string(rest);
  return std::nullopt;
}

std::optional<platform::FaultRule> failureRule(std::string_view op, std::string_view value) {
  auto kind = platform::faultOpFromName(lower(op));
  if (!kind) return std::nullopt;
  platform::FaultRule rule{*kind, std::string(value), -1, 0, true};
  if (*kind == platform::FaultOp::ShortWrite) {
    auto blank = value.find_last_of(" \t");
    auto bytes = blank == std::string_view::npos ? std::nullopt : number(value.substr(blank + 1), UINT32_MAX);
    if (!bytes) return std::nullopt;
    rule.value = static_cast<long long>(*bytes);
    rule.pattern = std::string(trim(value.substr(0, blank)));
  }
  if (rule.pattern.empty()) return std::nullopt;
  if (isPathOperation(*kind))
    for (char& c : rule.pattern)
      if (c == '/') c = '\\';
  return rule;
}

bool splitSections(std::string_view text, std::vector<IniSection>& sections, int& badLine, std::string& what) {
  int number = 0;
  while (!text.empty()) {
    ++number;
    auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!splitLine(line, sections, number, what)) {
      badLine = number;
      return false;
    }
  }
  return true;
}

}  // namespace win::ini
