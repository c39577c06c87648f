// The wizard's page order: custom mode passes empty list pages, automatic mode
// goes from the method page to the rollback page (when offered) and to perform.
#pragma once

#include <cstdint>

#include "log/item_lists.h"

namespace remvex {

// True when list page 1-10 has lines (page 10: a sub-system, a program or a service).
bool PageHasEntries(std::uint8_t page, const LogState& log);

// The page after page (or before it, forward false) in mode.
std::uint8_t NextPage(std::uint8_t page, bool forward, int mode, const LogState& log);

// Steps the wizard's own page.
void StepWizardPage(bool forward);

}  // namespace remvex
