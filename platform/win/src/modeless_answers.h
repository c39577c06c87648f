// The answers file and modeless dialogs: an open modeless dialog takes its next
// line when its thread's pump finds the queue empty, its default button is pressed
// when a wait could otherwise never end, and a stuck wait names the open dialogs.
#pragma once

#include <string>

#include "thread_queue.h"

namespace win::detail {

// A modeless dialog's answer arrives as this posted message (like a user's click), so the
// program's own GetMessage or PeekMessage returns and its loop runs on; DispatchMessage applies it.
inline constexpr UINT kAnswerInputMessage = 0x03FE;

// Applies the answer an input message carries; true when msg was one.
bool dispatchAnswerInput(const MSG& msg);

// Applies the next answers line to the first visible, enabled modeless dialog of q whose key
// it names; true when a line was taken.
bool answerIdleModelessDialog(ThreadQueue& q);
// With no answers line left for this program, presses the default button of q's first open
// modeless dialog (marked unscripted); true when one was pressed.
bool pressUnscriptedModelessDialog(ThreadQueue& q);
// "; dialog 106 ("Uninstall") is open and answers line 4 ("104 1") is not for it", or "".
std::string openDialogsNote(ThreadQueue& q);

}  // namespace win::detail
