// f21: CONFIG.SYS "Files=" and "Buffers=" raised to the minimums the script
// gives, missing lines added at the top.
#include <climits>
#include <string>
#include <vector>

#include "actions/startup_files.h"
#include "interp/action_params.h"
#include "run.h"
#include "ui/file_error_message.h"

namespace merl {

namespace {

struct Minimum {
  std::string_view word;  // "files", "buffers"
  const char* line;       // the line written when none exists
  int value = 0;          // 0 or less: no minimum
  bool seen = false;
};

bool startsWithWord(std::string_view line, std::string_view word) { return startsWithNoCase(skipBlanks(line), word); }

// Raises the number of a line of the minimum's word; true when the line changed.
bool raise(std::string& line, const Minimum& m) {
  std::size_t word = line.size() - skipBlanks(line).size() + m.word.size();
  std::size_t digit = line.find_first_of("0123456789", word);
  if (digit == std::string::npos) return false;
  long long value = 0;
  for (std::size_t at = digit; at < line.size() && line[at] >= '0' && line[at] <= '9'; ++at) {
    value = value * 10 + (line[at] - '0');
    if (value > INT_MAX) value = INT_MAX;
  }
  if (value >= m.value) return false;
  line = line.substr(0, digit) + std::to_string(m.value);
  return true;
}

}  // namespace

}  // namespace merl

extern "C" win::INT f21(merl::ActionParams* params) {
  using namespace merl;
  if (!params) return 0;
  const char* at = params->parameterText ? params->parameterText : "";
  char field[kFieldSize];
  at = NextParamField(field, sizeof field, at);
  Minimum files{"files", "Files=", ParamNumber(field)};
  NextParamField(field, sizeof field, at);
  Minimum buffers{"buffers", "Buffers=", ParamNumber(field)};
  if (params->runState == kStateTest) return 0;
  EditedFile file;
  if (!OpenBootDriveFile("CONFIG.SYS", file)) return FileErrorMessage(file.path, 0);
  std::vector<std::string> lines;
  if (file.existed() && !ReadTextLines(file.read, lines)) return FailEdit(file);
  Minimum* minimums[] = {&files, &buffers};
  for (const std::string& line : lines)
    for (Minimum* m : minimums) m->seen = m->seen || startsWithWord(line, m->word);
  std::vector<std::string> out;
  bool changed = false;
  for (Minimum* m : minimums)
    if (!m->seen && m->value > 0) {
      out.push_back(m->line + std::to_string(m->value));
      changed = true;
    }
  for (std::string line : lines) {
    for (Minimum* m : minimums)
      if (m->value > 0 && startsWithWord(line, m->word) && raise(line, *m)) changed = true;
    out.push_back(line);
  }
  EditOutcome outcome;
  outcome.editedFlag = kEditedConfigSys;
  outcome.restart = 'S';
  return FinishEdit(*params, file, out, changed, outcome);
}
