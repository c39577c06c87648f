#include "interp/loop_stack.h"

namespace merl {

bool LoopStack::push(DWORD record) {
  if (depth >= kLoopStackSize) return false;
  records[depth++] = record;
  return true;
}

bool LoopStack::pop(DWORD& record) {
  if (depth == 0) return false;
  record = records[--depth];
  return true;
}

LoopStack& loopStack() { return run().state<LoopStack>(); }

}  // namespace merl
