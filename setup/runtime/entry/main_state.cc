#include "entry/main_state.h"

namespace merl {

MainState& mainState() { return run().state<MainState>(); }
RestartState& restartState() { return run().state<RestartState>(); }

}  // namespace merl
