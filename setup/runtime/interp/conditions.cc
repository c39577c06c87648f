#include "interp/conditions.h"

#include <string>

#include "interp/interp_constants.h"
#include "interp/loop_stack.h"
#include "interp/skip_block.h"
#include "script/variables.h"
#include "win/system.h"
#include "script/script_error.h"

namespace merl {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isPrintable(char c) { return c >= 0x20 && c <= 0x7E; }
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
// Printable characters that are neither letters nor digits (white space included).
bool isSeparator(char c) { return isPrintable(c) && !isLetter(c) && !isDigit(c); }

// mm/dd/yy... becomes yy/mm/dd..., with a '1' in front of years 00-59.
std::string dateForm(std::string_view s) {
  std::string out(s);
  if (s.size() >= 8 && s.find('/') != std::string_view::npos) {
    out = std::string(s.substr(6, 2)) + '/' + std::string(s.substr(0, 2)) + '/' + std::string(s.substr(3, 2)) +
          std::string(s.substr(8));
    if (out[0] >= '0' && out[0] <= '5') out.insert(out.begin(), '1');
  }
  return out;
}

std::string_view skipBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

// The digit run at the front of s, removed with the separators after it.
std::string_view takeNumber(std::string_view& s) {
  std::size_t n = 0;
  while (n < s.size() && isDigit(s[n])) ++n;
  std::string_view digits = s.substr(0, n);
  s.remove_prefix(n);
  while (!s.empty() && isSeparator(s.front())) s.remove_prefix(1);
  return digits;
}

int sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

// Whole numbers: leading zeros do not count.
int compareWhole(std::string_view a, std::string_view b) {
  while (!a.empty() && a.front() == '0') a.remove_prefix(1);
  while (!b.empty() && b.front() == '0') b.remove_prefix(1);
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return sign(a.compare(b));
}

// Fractions: the shorter run is taken with zeros after it.
int compareFraction(std::string_view a, std::string_view b) {
  std::size_t n = a.size() > b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    char x = i < a.size() ? a[i] : '0';
    char y = i < b.size() ? b[i] : '0';
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

}  // namespace

int OrderedCompare(std::string_view value, std::string_view text) {
  if (value.size() > kOrderedValueLength) value = value.substr(0, kOrderedValueLength);
  std::string a = dateForm(value), b = dateForm(text);
  std::string_view x = skipBlanks(a), y = skipBlanks(b);
  int numbers = 0;
  while (!x.empty() && !y.empty()) {
    if (isSeparator(x.front()) || isDigit(x.front())) {
      if (isSeparator(y.front()) || isDigit(y.front())) {
        std::string_view p = takeNumber(x), q = takeNumber(y);
        int d = numbers++ == 0 ? compareWhole(p, q) : compareFraction(p, q);
        if (d != 0) return d;
        continue;
      }
    }
    return sign(win::lstrcmp(std::string(x).c_str(), std::string(y).c_str()));
  }
  if (!x.empty()) return 1;
  if (!y.empty()) return -1;
  return 0;
}

namespace {

bool anyOf(std::string_view chars, std::string_view in) {
  for (char c : chars)
    if (in.find(c) != std::string_view::npos) return true;
  return false;
}

bool anyNotIn(std::string_view chars, std::string_view in) {
  for (char c : chars)
    if (in.find(c) == std::string_view::npos) return true;
  return false;
}

// The text read as a decimal number (blanks and a sign allowed, digits up to the first other byte).
long long decimalOf(std::string_view s) {
  s = skipBlanks(s);
  bool negative = !s.empty() && s.front() == '-';
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) s.remove_prefix(1);
  long long v = 0;
  for (char c : s) {
    if (!isDigit(c) || v > 1'000'000'000'000LL) break;
    v = v * 10 + (c - '0');
  }
  return negative ? -v : v;
}

}  // namespace

int CompareValues(int op, std::string_view variable, std::string_view text) {
  std::string name(variable);
  std::string value(GetVarLength(name) + 1, '\0');
  GetVar(name, value.data(), value.size());
  value.resize(std::char_traits<char>::length(value.c_str()));
  std::string t(text);
  switch (op) {
    case 0: return win::lstrcmp(value.c_str(), t.c_str()) == 0;
    case 1: return win::lstrcmp(value.c_str(), t.c_str()) != 0;
    case 2: return value.find(t) != std::string::npos;
    case 3: return value.find(t) == std::string::npos;
    case 4: return win::lstrcmpi(value.c_str(), t.c_str()) == 0;
    case 5: return win::lstrcmpi(value.c_str(), t.c_str()) != 0;
    case 6: return OrderedCompare(value, t) > 0;
    case 7: return OrderedCompare(value, t) >= 0;
    case 8: return OrderedCompare(value, t) < 0;
    case 9: return OrderedCompare(value, t) <= 0;
    case 10: return anyOf(t, value);
    case 11: return anyNotIn(value, t);
    case 12: return static_cast<long long>(value.size()) == decimalOf(t);
    default: return 0;
  }
}

int EvalCondition(const Record& record) {
  BYTE flags = record.flags();
  bool loop = (flags & 0x10) != 0;
  if (loop && !loopStack().push(record.at())) return invalidRecord();
  if (loop && (flags & 0x20)) {
    record.setFlags(static_cast<BYTE>((flags & ~0x20) | 0x40));
    return kNextRecord;
  }
  std::string text = expanded(record.string(1), kLongTextSize);
  if (CompareValues(flags & 0x0F, record.string(0), text)) return kNextRecord;
  if (loop) {
    DWORD popped;
    (void)loopStack().pop(popped);
    if (flags & 0x40) record.setFlags(static_cast<BYTE>((flags & ~0x40) | 0x20));
  }
  return SkipAsElse();
}

}  // namespace merl
