#include "wizard/wizard_state.h"

namespace remvex {

WizardState& Wizard() {
  static WizardState state;
  return state;
}

}  // namespace remvex
