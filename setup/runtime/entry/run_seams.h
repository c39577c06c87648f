// What MerlMain calls in routines that live elsewhere (the copy dialog,
// self-registration, graphics): one
// replaceable function each, so the run works before those routines exist and tests
// can watch them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run.h"

namespace merl {

struct RunSeams {
  // Closes the copy dialog and enables the main window again.
  void (*closeCopyDialog)() = [] {};
  // Runs the queued self-registrations.
  void (*selfRegister)() = [] {};
  // Frees the placed graphics and their drawing objects.
  void (*freeGraphics)() = [] {};
};

// The seams MerlMain uses (one set for the process; tests replace members and put them back).
RunSeams& runSeams();

}  // namespace merl
