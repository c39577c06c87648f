#include "wizard/paging.h"

#include "wizard/page_table.h"
#include "wizard/wizard_state.h"

namespace remvex {

namespace {

std::uint8_t customStep(std::uint8_t page, bool forward, const LogState& log) {
  for (;;) {
    page = static_cast<std::uint8_t>(forward ? page + 1 : page - 1);
    if (page > kLastListPage) return kPerformPage;
    if (page == kMethodPage || PageHasEntries(page, log)) return page;
  }
}

std::uint8_t automaticStep(std::uint8_t page, bool forward, bool offered) {
  if (forward) {
    if (page == kMethodPage) return offered ? kRollbackPage : kPerformPage;
    if (page == kRollbackPage) return kPerformPage;
    return page;
  }
  if (page == kPerformPage) return offered ? kRollbackPage : kMethodPage;
  if (page == kRollbackPage) return kMethodPage;
  return page;
}

}  // namespace

bool PageHasEntries(std::uint8_t page, const LogState& log) {
  if (page == kLastListPage) return log.hasSubSystem || log.lists.programs.size() || log.lists.services.size();
  return IsListPage(page) && !PageLines(page, log).empty();
}

std::uint8_t NextPage(std::uint8_t page, bool forward, int mode, const LogState& log) {
  if (mode == kCustomMode) return customStep(page, forward, log);
  return automaticStep(page, forward, log.rollbackOffered != 0);
}

void StepWizardPage(bool forward) {
  WizardState& w = Wizard();
  if (w.log) w.page = NextPage(w.page, forward, Run().uninstallMode, *w.log);
}

}  // namespace remvex
