#include "interp/record.h"

#include <vector>

#include "script/expansion.h"

namespace merl {

void Record::setFlags(BYTE flags) const {
  if (run().scriptImage) run().scriptImage[at_ + 1] = flags;
}

std::string_view Record::string(int i) const {
  DWORD at = at_ + kRecordSize[opcode()];
  std::string_view s;
  for (int k = 0; k <= i; ++k) s = NextScriptString(image_, at);
  return s;
}

std::string_view Record::languageString(int i) const {
  int op = opcode();
  DWORD at = at_ + kRecordSize[op];
  for (int k = 0; k < kRecordStrings[op]; ++k) NextScriptString(image_, at);
  int group = language_ < languages_ ? language_ : 0;
  if (!SkipToLanguage(image_, at, kLanguageStrings[op], group)) return {};
  std::string_view s;
  for (int k = 0; k <= i; ++k) s = NextScriptString(image_, at);
  return s;
}

std::string expanded(std::string_view text, std::size_t limit) {
  std::vector<char> buffer(limit);
  ExpandVars(buffer.data(), text, limit);
  return std::string(buffer.data());
}

}  // namespace merl
