// The run of the records in this process: what the on-cancel section does.
#include "entry/main_state.h"
#include "entry/run_states.h"
#include "script_run.h"

namespace {

class RunStatesTest : public merl_testing::ScriptRunTest {};

TEST_F(RunStatesTest, CancelRunsTheOnCancelSectionWithTheAbortCleared) {
  useScriptMachine();
  load("msgbox flags=1 title=\"T\" text=\"Go?\"\nlog text=\"after\"\nexit\nbye: log text=\"bye\"\n");
  answers("114 2\n114 1\n");  // Cancel, confirmed
  setup_.onCancelOffset = label("bye");
  EXPECT_EQ(merl::RunInstallation(), merl::kAbort);
  // The run opens its own log: only the on-cancel section wrote to it.
  std::string log = wholeLog();
  EXPECT_TRUE(log.ends_with("\r\nbye") || log == "bye") << log;
  EXPECT_EQ(log.find("after"), std::string::npos);
  EXPECT_EQ(setup_.errorByte, 0);
  EXPECT_EQ(setup_.abortFlag, 0u);
  EXPECT_TRUE(merl::mainState().section == merl::Section::OnCancel);
}

}  // namespace
