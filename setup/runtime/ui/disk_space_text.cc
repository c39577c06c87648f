// SumComponentSizes and UpdateDiskSpaceText.
#include "ui/disk_space_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "script/expansion.h"
#include "system/drives.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr char kDel = 0x7F;

bool endOfList(char c) { return c == '\0' || c == kDel; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }

std::int64_t readNumber(const char*& p) {
  std::int64_t v = 0;
  while (isDigit(*p)) v = v * 10 + (*p++ - '0');
  return v;
}

void skipOne(const char*& p, char c) {
  if (*p == c) ++p;
}

// The variable names up to the TAB, each looked up; names after the 64th are skipped.
std::vector<std::string> readValues(const char*& p) {
  std::vector<std::string> values;
  while (*p != '\t' && !endOfList(*p)) {
    std::string name;
    while (*p != ' ' && *p != '\t' && !endOfList(*p)) {
      if (name.size() < static_cast<std::size_t>(kMaxSizeListNameLength)) name.push_back(*p);
      ++p;
    }
    if (values.size() < static_cast<std::size_t>(kMaxSizeListNames) && !name.empty()) {
      char value[kExpandLimit256];
      ExpandVars256(value, name);
      values.emplace_back(value);
    }
    skipOne(p, ' ');
  }
  return values;
}

// Whether a term at p (after its TAB) is a size: digits not followed by a letter.
bool isSize(const char* p) {
  if (!isDigit(*p)) return false;
  while (isDigit(*p)) ++p;
  return !isLetter(*p);
}

bool conditionHolds(const std::vector<std::string>& values, std::int64_t index, const std::string& word) {
  if (word.empty() || index < 0 || index >= static_cast<std::int64_t>(values.size())) return false;
  return values[static_cast<std::size_t>(index)].find_first_of(word) != std::string::npos;
}

}  // namespace

const char* SumComponentSizes(const char* list, std::int64_t* total) {
  const char* p = list;
  *total = readNumber(p);
  skipOne(p, ' ');
  std::vector<std::string> values = readValues(p);
  skipOne(p, '\t');
  int skip = 0;
  while (!endOfList(*p)) {
    const char* start = p;
    if (*p != '\t' && isSize(p)) {
      std::int64_t size = readNumber(p);
      if (skip == 0)
        *total += size;
      else
        --skip;
      skipOne(p, ' ');
      continue;
    }
    if (*p == '\t') {
      ++p;
      if (skip > 0) ++skip;
    }
    std::int64_t index = readNumber(p);
    skipOne(p, ' ');
    std::string word;
    while (*p != ' ' && *p != '\t' && !endOfList(*p)) word.push_back(*p++);
    if (!conditionHolds(values, index, word) && skip == 0) skip = 1;
    while (*p == ' ') ++p;
    if (p == start) ++p;
  }
  return p + 1;
}

bool UpdateDiskSpaceText(win::HWND control, const char* variableString, const char* next) {
  bool hasList = variableString && *variableString;
  std::int64_t base = 0, total = 0;
  const char* path = next;
  if (hasList) {
    const char* q = variableString;
    base = readNumber(q);
    const char* after = SumComponentSizes(variableString, &total);
    // A list ended by DEL carries its path; one ended by its NUL leaves it to the next string.
    if (after[-1] == kDel) path = after;
  }
  std::int64_t value = 0;
  if (path && *path) {
    char expanded[kExpandLimit256];
    ExpandVars256(expanded, path);
    value = static_cast<std::int64_t>(GetFreeSpaceKB(expanded)) - total;
  } else if (!hasList) {
    return false;
  } else {
    value = total - base;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%ld k", static_cast<long>(value));
  char shown[32] = {};
  win::GetWindowText(control, shown, sizeof shown);
  if (std::strcmp(shown, text) == 0) return false;
  win::SetWindowText(control, text);
  return true;
}

}  // namespace merl
