// f16 (set a variable, with the /M= settings file and the conversions) and f27
// (split a text at a pattern or a count into two variables).
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "actions/startup_files.h"
#include "entry/main_state.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "interp/action_params.h"
#include "script/expansion.h"
#include "script/variables.h"
#include "text/dbcs.h"
#include "text/line_reader.h"

namespace merl {

namespace {

// Bits of f16's mode.
constexpr int kSetAppend = 0x01;
constexpr int kSetCutAtBackslash = 0x02;
constexpr int kSetFromSettingsFile = 0x80;
// f16's conversions, (mode >> 2) & 15.
enum Conversion { kIncrement = 1, kDecrement = 2, kNoTrailingBackslash = 3, kLongPath = 4, kShortPath = 5, kUpper = 6, kLower = 7 };

// Bits of f27's mode, and its position kinds (mode & 12).
constexpr int kSplitTrim = 0x01;
constexpr int kSplitNoCase = 0x02;
constexpr int kSplitPositionMask = 12;
constexpr int kSplitFirst = 0;
constexpr int kSplitLast = 4;
constexpr int kSplitCountLeft = 8;
constexpr int kSplitCountRight = 12;

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The value the settings file gives name ("name=value" lines), expanded; false when none does.
bool settingsFileValue(const std::string& file, std::string_view name, std::string& value) {
  HANDLE h = OpenFileHandle(file.c_str(), kOpenRead, false);
  if (h == win::INVALID_HANDLE_VALUE) return false;
  RewindLines(h);
  bool found = false;
  char line[kFieldSize];
  while (!found && ReadLine(h, line, sizeof line)) {
    std::string_view text(line);
    while (!text.empty() && (isBlank(text.back()) || text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    text = skipBlanks(text);
    if (text.empty() || !((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z'))) continue;
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) continue;
    std::string_view key = text.substr(0, eq);
    key = key.substr(0, std::min(key.find_first_of(" \t"), key.size()));
    if (!equalNoCase(key, name)) continue;
    char expanded[kExpandLimit256];
    ExpandVars(expanded, text.substr(eq + 1), sizeof expanded);
    value = expanded;
    found = true;
  }
  win::CloseHandle(h);
  return found;
}

std::string addToNumber(const std::string& text, long long step) {
  long long n = std::strtoll(text.c_str(), nullptr, 10) + step;
  if (n > INT_MAX) n = INT_MAX;
  if (n < INT_MIN) n = INT_MIN;
  return std::to_string(n);
}

void convert(std::string& text, int conversion) {
  switch (conversion) {
    case kIncrement: text = addToNumber(text, 1); break;
    case kDecrement: text = addToNumber(text, -1); break;
    case kNoTrailingBackslash:
      while (text.size() > 1 && text.back() == '\\') text.pop_back();
      break;
    case kLongPath:
    case kShortPath: {
      char path[kPathBufferSize];
      if (text.size() < sizeof path) {
        std::memcpy(path, text.c_str(), text.size() + 1);
        if (MakeFullPath(path, conversion == kLongPath)) text = path;
      }
      break;
    }
    case kUpper:
      for (char& c : text) c = upperAscii(c);
      break;
    case kLower:
      for (char& c : text) c = lowerAscii(c);
      break;
    default: break;
  }
}

// Where f27 cuts source: a count from either end (clamped) or a pattern's first or last occurrence.
std::size_t splitPosition(int mode, std::string_view source, std::string_view pattern, const char* countField) {
  int kind = mode & kSplitPositionMask;
  if (kind == kSplitCountLeft || kind == kSplitCountRight) {
    long long n = ParamNumber(countField);
    if (kind == kSplitCountRight) n = static_cast<long long>(source.size()) - n;
    if (n < 0) n = 0;
    return static_cast<std::size_t>(std::min<long long>(n, static_cast<long long>(source.size())));
  }
  std::size_t found = std::string_view::npos;
  for (std::size_t at = 0; at < source.size(); at += std::max<std::size_t>(charLengthAt(source, at), 1)) {
    if (source.compare(at, pattern.size(), pattern) != 0) continue;
    found = at;
    if (kind == kSplitFirst) break;
  }
  if (found != std::string_view::npos) return found;
  return kind == kSplitLast ? 0 : source.size();
}

std::string part(std::string_view text, bool trim) { return std::string(trim ? trimBlanks(text) : text); }

}  // namespace

}  // namespace merl

extern "C" win::INT f16(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText) return 0;
  char field[kFieldSize];
  char name[kNameFieldSize];
  char given[kFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  int mode = ParamNumber(field);
  at = NextParamField(name, sizeof name, at);
  NextParamField(given, sizeof given, at);

  std::string text;
  if (mode & kSetAppend) {
    char current[kFieldSize];
    GetVar(name, current, sizeof current);
    text = current;
  }
  std::string fromFile;
  const std::string& settings = mainState().setVariableFile;
  if (mode >= kSetFromSettingsFile && !settings.empty() && settingsFileValue(settings, name, fromFile))
    text += fromFile;
  else
    text += given;
  if (text.size() >= kFieldSize) text.resize(kFieldSize - 1);
  if (mode & kSetCutAtBackslash) {
    std::size_t slash = text.rfind('\\');
    if (slash != std::string::npos) text.resize(slash);
  }
  convert(text, (mode >> 2) & 15);
  SetVar(name, text);
  return 0;
}

extern "C" win::INT f27(merl::ActionParams* params) {
  using namespace merl;
  if (!params || !params->parameterText) return 0;
  char field[kFieldSize];
  char source[kFieldSize];
  char pattern[kFieldSize];
  char left[kNameFieldSize];
  char right[kNameFieldSize];
  const char* at = NextParamField(field, sizeof field, params->parameterText);
  int mode = ParamNumber(field);
  at = NextParamField(source, sizeof source, at);
  at = NextParamField(pattern, sizeof pattern, at);
  at = NextParamField(left, sizeof left, at);
  NextParamField(right, sizeof right, at);
  if (left[0]) SetVar(left, "");
  if (right[0]) SetVar(right, "");
  if (!pattern[0] || !source[0]) return 0;

  std::string work(source);
  std::string wanted(pattern);
  if (mode & kSplitNoCase) {
    for (char& c : work) c = upperAscii(c);
    for (char& c : wanted) c = upperAscii(c);
  }
  std::size_t cut = splitPosition(mode, work, wanted, pattern);
  std::string_view whole(source);
  bool trim = mode & kSplitTrim;
  if (left[0]) SetVar(left, part(whole.substr(0, cut), trim));
  if (right[0]) SetVar(right, part(whole.substr(cut), trim));
  return 0;
}
