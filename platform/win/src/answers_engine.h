// The answers file shared by every process of the machine: read and checked once
// per process, its lines taken in order, each by one process only (the numbers of
// taken lines live in <state>/answers.used, changed under a flock).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "answers_file.h"
#include "win/machine.h"

namespace win {

struct DialogKeys;

class AnswersState : public MachineState {
 public:
  explicit AnswersState(Machine& machine);

  // True when [ui] answers names a file.
  bool configured() const { return !path_.empty(); }

  struct Next {
    const AnswerLine* line = nullptr;  // the first line no process took that is for this program
    bool taken = false;                // it was for the asker and is now used up
  };
  // Looks at the next line for this program; when accept(line) says so, takes it.
  Next next(const std::function<bool(const AnswerLine&)>& accept);

 private:
  const std::vector<AnswerLine>& lines();

  Machine& machine_;
  std::string path_;
  bool parsed_ = false;
  std::vector<AnswerLine> lines_;
};

AnswersState& answers();

// True when a dialog line's key names the dialog (its template id, number or caption).
bool keyNamesDialog(const AnswerLine& line, const DialogKeys& keys);
// Ends the process (status 3) with a "stuck" line naming the answers line and why.
[[noreturn]] void answersStuck(const AnswerLine* line, const std::string& why);
// "line 4 (\"104 1\")".
std::string describeLine(const AnswerLine& line);

}  // namespace win
