// The run's two action parameter blocks: the internal form (numbered actions and
// libraries from the fallback load) and the external form (the preferred load).
#pragma once

#include "run.h"

namespace merl {

struct ActionBlocks : RunState {
  explicit ActionBlocks(Run& run);
  ActionParams internal{};
  ExternalActionParams external{};
};

ActionBlocks& actionBlocks();

}  // namespace merl
