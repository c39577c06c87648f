// The second stage: started from the temporary copy with "/z", it deletes the
// first stage's program file and removes the emptied directories.
#pragma once

#include <string>

#include "win/types.h"

namespace remvex {

// arguments: the program file and the log directory (a word with blanks in double quotes).
// Waits on the main window's timer first so the first stage can end.
void RunSecondStage(win::HWND window, const std::string& arguments);

}  // namespace remvex
