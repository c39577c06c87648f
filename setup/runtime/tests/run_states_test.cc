// The run of the records in this process: what the on-cancel section keeps.
#include "entry/main_state.h"
#include "entry/run_states.h"
#include "script_run.h"

namespace {

class RunStatesTest : public merl_testing::ScriptRunTest {};

TEST_F(RunStatesTest, OnCancelRunsWithErrorsClearedAndGivesTheErrorBackForTheEnd) {
  struct Case {
    const char* name;
    bool errorInRecord;  // the record's box sets the error byte instead of being cancelled
    merl::BYTE errorAtEnd;
  } cases[] = {{"cancel", false, 0}, {"write error", true, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    load("msgbox flags=0 title=\"T\" text=\"Go?\"\nlog text=\"after\"\nexit\nbye: log text=\"bye\"\n");
    setup_.onCancelOffset = label("bye");
    boxAnswer = [this, &c] {
      if (!c.errorInRecord) return 2;
      setup_.errorByte = 1;
      return 1;
    };
    EXPECT_EQ(merl::RunInstallation(), merl::kAbort);
    EXPECT_EQ(log, "bye");
    EXPECT_EQ(setup_.errorByte, c.errorAtEnd);
    EXPECT_EQ(setup_.abortFlag, 0u);
    EXPECT_TRUE(merl::mainState().section == merl::Section::OnCancel);
  }
}

}  // namespace
