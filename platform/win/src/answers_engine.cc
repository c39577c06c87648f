// Taking answers lines: the file is read and checked on first use (a bad line
// ends the process with status 2 naming it); the used line numbers are read and
// rewritten whole under the platform's state-file lock, so processes never take a line twice.
#include "answers_engine.h"


#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

#include "dialog_state.h"
#include "platform/files.h"
#include "ui_trace.h"
#include "win/path.h"
#include "win/ui_constants.h"

namespace win {

namespace {

[[noreturn]] void refuseAnswers(const std::string& message) {
  detail::trace("answers-refused", JsonObject().add("why", message));
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  std::_Exit(2);
}

std::set<int> readUsed(const std::string& path) {
  std::set<int> used;
  std::string text;
  if (!platform::readWholeFile(path, text)) return used;
  std::istringstream in(text);
  int n;
  while (in >> n) used.insert(n);
  return used;
}

void writeUsed(const std::string& path, const std::set<int>& used) {
  std::string text;
  for (int n : used) text += std::to_string(n) + "\n";
  platform::writeFileAtomic(path, text);
}

}  // namespace

AnswersState::AnswersState(Machine& m) : machine_(m), path_(m.description().ui.answers) {}

const std::vector<AnswerLine>& AnswersState::lines() {
  if (parsed_) return lines_;
  std::string text, error;
  if (!platform::readWholeFile(path_, text)) refuseAnswers("answers: cannot read " + path_);
  auto parsed = parseAnswers(text, &error);
  if (!parsed) refuseAnswers(error);
  lines_ = std::move(*parsed);
  parsed_ = true;
  return lines_;
}

AnswersState::Next AnswersState::next(const std::function<bool(const AnswerLine&)>& accept) {
  if (!configured()) return {};
  const auto& all = lines();
  std::string usedPath = machine_.stateDir() + "/" + kAnswersUsedName;
  platform::FileLock lock(usedPath, true);
  if (!lock.held()) machine_.exitStuck("answers: " + usedPath + " stayed locked by another process");
  std::set<int> used = readUsed(usedPath);
  std::string program = machine_.programName();
  for (const auto& line : all) {
    if (used.count(line.line) || (!line.program.empty() && !namesEqual(line.program, program))) continue;
    if (!accept(line)) return Next{&line, false};
    used.insert(line.line);
    writeUsed(usedPath, used);
    return Next{&line, true};
  }
  return {};
}

AnswersState& answers() { return machine().state<AnswersState>(); }

bool keyNamesDialog(const AnswerLine& line, const DialogKeys& keys) {
  switch (line.key) {
    case AnswerLine::Key::Template:
      return !keys.resourceKey.empty() && line.keyText == keys.resourceKey;
    case AnswerLine::Key::Number:
      return keys.number >= 0 && line.number == keys.number;
    case AnswerLine::Key::Caption:
      return line.keyText == keys.caption;
    default:
      return false;
  }
}

std::string describeLine(const AnswerLine& line) {
  return "answers line " + std::to_string(line.line) + " (\"" + line.raw + "\")";
}

void answersStuck(const AnswerLine* line, const std::string& why) {
  machine().exitStuck(line ? describeLine(*line) + ": " + why : why);
}

void nameNextDialog(int number) { windowState().currentQueue().nextDialogNumber = number; }

}  // namespace win
