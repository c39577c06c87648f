// The loop stack: the records of the while and loop-call blocks that are running.
#pragma once

#include "interp/interp_constants.h"
#include "run.h"

namespace merl {

struct LoopStack : RunState {
  DWORD records[kLoopStackSize] = {};
  BYTE depth = 0;

  // False when the stack is full.
  [[nodiscard]] bool push(DWORD record);
  // False when the stack is empty.
  [[nodiscard]] bool pop(DWORD& record);
};

LoopStack& loopStack();

}  // namespace merl
