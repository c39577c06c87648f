#include "run_state.h"

namespace remvex {

RunState& Run() {
  static RunState state;
  return state;
}

}  // namespace remvex
