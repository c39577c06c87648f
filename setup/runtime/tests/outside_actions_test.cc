// Internet transfers through f34 with the internet double: the fields it gets
// (expanded again, flags complemented), failures and their message, test runs.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "copy_fixture.h"
#include "entry/main_state.h"
#include "entry/support_files.h"
#include "interp/action_params.h"
#include "script/variables.h"

namespace {

class OutsideActionTest : public merl_testing::CopyFixture {
 protected:
  void start(const std::string& config) {
    begin("[internet]\n" + config);
    merl::mainState().supportPaths[merl::kSupportInternet] = placeDouble(MERL_INTERNET_DOUBLE, "NET.DLL");
  }
  void TearDown() override { merl::RemoveSupportFiles(); }
  int call(merl::NumberedAction action, const std::string& params, merl::BYTE runState = merl::kStateNormal) {
    text_ = params;
    text_.push_back('\0');
    merl::ActionParams& p = merl::RefreshInternalParams(text_.data());
    p.runState = runState;
    return action(&p);
  }

 private:
  std::string text_;
};

TEST_F(OutsideActionTest, TransferGetsTheExpandedFieldsAndTheComplementedFlags) {
  start("result = 0\n");
  merl::SetVar("HOST", "example.org");
  EXPECT_EQ(call(f34, "5\x7F%TEMP%\\GET.TMP\x7Fhttp://%HOST%/a\x7Fmore"), 0);
  std::vector<merl_kit::JsonValue> t1 = calls("internet", "t1");
  ASSERT_EQ(t1.size(), 1u);
  EXPECT_EQ(t1[0]["source"].text(), "http://example.org/a\x7Fmore");
  EXPECT_EQ(t1[0]["destination"].text(), "C:\\TEMP\\GET.TMP");
  EXPECT_EQ(t1[0]["a"].integer(), ~5);
  EXPECT_EQ(call(f34, "5\x7F" "C:\\X.TMP\x7Fhttp://h/a", merl::kStateTest), 0);
  EXPECT_EQ(calls("internet", "t1").size(), 1u);
}

TEST_F(OutsideActionTest, AFailedTransferGivesOneAndItsMessageUnlessTheFlagsSilenceIt) {
  struct Case {
    const char* flags;
    bool shown;
  } cases[] = {{"0", false}, {"2", false}, {"1", true}, {"-1", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    start("result = -5\ndetail = down\n");
    EXPECT_EQ(call(f34, std::string(c.flags) + "\x7F" "C:\\TEMP\\GET.TMP\x7Fhttp://h/a"), 1);
    EXPECT_EQ(aborts().size(), c.shown ? 1u : 0u);
    TearDown();
  }
}

}  // namespace
