// What MerlMain calls in routines that live elsewhere (self-registration): one
// replaceable function each, so the run works before those routines exist and tests
// can watch them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run.h"

namespace merl {

struct RunSeams {
  // Runs the queued self-registrations.
  void (*selfRegister)() = [] {};
};

// The seams MerlMain uses (one set for the process; tests replace members and put them back).
RunSeams& runSeams();

}  // namespace merl
