// Applying an answers line to an open dialog: its set/select/check/notify
// actions on the controls as a user would, then its button; or waiting for the
// dialog to end itself; or holding it open until a host file appears.
#pragma once

#include <string>

#include "answers_file.h"
#include "dialog_state.h"
#include "thread_queue.h"

namespace win {

// Applies line to the dialog (modal: a wait line pumps until the dialog ends).
void applyDialogLine(HWND dialog, const AnswerLine& line, bool modal);
// Pumps a modal dialog, the virtual clock moving to its timers, until it ends; a wait that
// cannot end, or one longer than the guard, ends the process (status 3).
void waitForDialogEnd(HWND dialog, const AnswerLine* line);
// Keeps pumping (posted messages, outside input; the virtual clock stands) until file
// exists; false after the real-time guard.
bool holdUntilFile(ThreadQueue& q, const std::string& file);
// The "answer" transcript line: the dialog's key, how the answer came, the button.
void traceAnswer(const std::string& key, const AnswerLine* line, const char* how, int button);

}  // namespace win
