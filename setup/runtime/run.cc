// The per-run context: state slots created on first use and destroyed in
// reverse order, and the current run set by the innermost RunScope.
#include "run.h"

#include <cstdio>
#include <cstdlib>

namespace merl {

namespace {

Run* current = nullptr;

}  // namespace

Run::Run(SetupRec* setup) : setup_(setup) {
  if (setup) {
    scriptImage = setup->scriptImage;
    scriptLength = setup->scriptLength;
  }
}

Run::~Run() { destroyStates(); }

void Run::destroyStates() {
  while (!states_.empty()) states_.pop_back();
}

RunState& Run::stateSlot(std::type_index type, std::unique_ptr<RunState> (*make)(Run&)) {
  for (auto& [t, s] : states_)
    if (t == type) return *s;
  // The constructor may ask for other states first, so append only once it is made.
  auto made = make(*this);
  states_.emplace_back(type, std::move(made));
  return *states_.back().second;
}

Run& run() {
  if (!current) {
    std::fputs("merl::run() called outside a run\n", stderr);
    std::abort();
  }
  return *current;
}

Run* currentRun() { return current; }

RunScope::RunScope(SetupRec* setup) : run_(setup), previous_(current) { current = &run_; }

// The states go while their run is still current, so their destructors may use it.
RunScope::~RunScope() {
  run_.destroyStates();
  current = previous_;
}

}  // namespace merl
