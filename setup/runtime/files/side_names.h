// Side names next to a destination: "~QDH%04x.TMP" from a counter that lives
// for the whole run and wraps after 0xFFFF.
#pragma once

#include "run.h"

namespace merl {

// The run's side-name counter.
struct SideNameCounter : RunState {
  WORD next = 0;
};

// Fills out (256 bytes) with the first side name in path's directory (the part before its last
// backslash) that does not exist. False, out emptied, when the name would pass 255 characters
// or every one of the 65536 names exists.
bool MakeSideFileName(char* out, const char* path);

}  // namespace merl
