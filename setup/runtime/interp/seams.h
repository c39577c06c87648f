// The interpreter's calls into the dialogs, the message pump and the installation
// log, as replaceable functions of the run (tests and the real routines install
// theirs). Each default is harmless: no dialog, no pump, nothing logged.
#pragma once

#include <functional>
#include <string_view>

#include "run.h"

namespace merl {

struct InterpSeams : RunState {
  // Script message k (already formatted into text) shown as the abort message.
  std::function<void(int k, std::string_view text)> showMessage = [](int, std::string_view) {};
  // A script message box: title, text, the record's flag byte; the answer (1 OK, 2 cancel, 3 no ...).
  std::function<int(std::string_view title, std::string_view text, int flags)> messageBox =
      [](std::string_view, std::string_view, int) { return 1; };
  // One pass of the message pump between records.
  std::function<void()> pumpOnce = [] {};
  // A text written to the log unchanged (no line end added), while it is open and not suspended.
  std::function<void(std::string_view text)> logText = [](std::string_view) {};
  // Log control: suspend (true) or resume (false).
  std::function<void(bool suspend)> suspendLog = [](bool) {};
  // Log control: the log closed, reopened at path, logging resumed.
  std::function<void(std::string_view path)> reopenLog = [](std::string_view) {};
  // True when the installation log is open (INI "Created INI" line).
  std::function<bool()> logOpen = [] { return false; };
  // One logged action: kind ("INI", "ProgMan" ...) and its fields.
  std::function<void(std::string_view kind, std::initializer_list<std::string_view> fields)> logAction =
      [](std::string_view, std::initializer_list<std::string_view>) {};
};

// The current run's seams.
InterpSeams& seams();

// Script message k of the current language formatted with arg, shown as the abort message.
void ShowAbortMessage(int k, std::string_view arg = {});

}  // namespace merl
