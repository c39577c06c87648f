// DirectX set-up through f30 with the DirectX double (flags, results, RESTART, the
// library's directory current during the call) and internet transfers through f34
// with the internet double (fields expanded again, flags complemented, failures).
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "copy_fixture.h"
#include "entry/main_state.h"
#include "entry/support_files.h"
#include "interp/action_params.h"
#include "script/variables.h"
#include "win/files.h"

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

class DirectXActionTest : public OutsideActionTest {
 protected:
  void SetUp() override {
    begin("[directx]\nresult = 0, -3, 1\n");
    std::filesystem::create_directories(machine().hostC("APP/DX"));
    placeDouble(MERL_DIRECTX_DOUBLE, "DX/DSETUP.DLL");
    placeDouble(MERL_ADMIN_DOUBLE, "NOEXPORT.DLL");
    win::SetCurrentDirectory("C:\\TEMP");
  }
  std::string currentDirectory() {
    char dir[256] = {};
    win::GetCurrentDirectory(sizeof dir, dir);
    return dir;
  }
};

TEST_F(DirectXActionTest, FlagsResultsAndTheCurrentDirectoryOnEveryPath) {
  merl::SetVar("SRC", "C:\\CD\\DIRECTX");
  const std::string library = "\x7F%SRC%\x7F" "C:\\APP\\DX\\DSETUP.DLL";
  EXPECT_EQ(call(f30, "0" + library), 0);
  EXPECT_EQ(call(f30, "128" + library), 0);
  EXPECT_EQ(call(f30, "5" + library, merl::kStateTest), 0);
  EXPECT_EQ(currentDirectory(), "C:\\TEMP");
  EXPECT_EQ(call(f30, "0x40" + library), 0);  // nothing: not a decimal flag
  EXPECT_TRUE(calls("directx", "DirectXSetup").empty());

  EXPECT_EQ(call(f30, "65" + library), 0);
  EXPECT_EQ(currentDirectory(), "C:\\TEMP");
  EXPECT_EQ(call(f30, "0" + library + "\x7F" "7"), 0);
  EXPECT_EQ(call(f30, "1" + library + "\x7F" "0"), 0);
  std::vector<merl_kit::JsonValue> setUps = calls("directx", "DirectXSetup");
  ASSERT_EQ(setUps.size(), 3u);
  EXPECT_EQ(setUps[0]["flags"].integer(), 0x201);
  EXPECT_EQ(setUps[0]["source"].text(), "C:\\CD\\DIRECTX");
  EXPECT_EQ(setUps[0]["cwd"].text(), "C:\\APP\\DX");
  EXPECT_EQ(setUps[0]["window"].integer(), static_cast<long long>(win::handleValue(setup_.mainWindow)));
  EXPECT_EQ(setUps[1]["flags"].integer(), 7);
  EXPECT_EQ(logged(), "DirectX: Could not install, error -3.\r\n");
  char restart[8];
  merl::GetVar("RESTART", restart, sizeof restart);
  EXPECT_STREQ(restart, "S");
  EXPECT_EQ(currentDirectory(), "C:\\TEMP");
}

TEST_F(DirectXActionTest, AMissingExportIsLoggedAndAMissingLibraryStopsTheScript) {
  EXPECT_EQ(call(f30, "1\x7F" "C:\\CD\x7F" "C:\\APP\\NOEXPORT.DLL"), 0);
  EXPECT_EQ(logged(), "DirectX: Could not install, error -999.\r\n");
  EXPECT_EQ(currentDirectory(), "C:\\TEMP");
  EXPECT_EQ(call(f30, "1\x7F" "C:\\CD\x7F" "C:\\APP\\DX\\NONE.DLL"), 1);
  EXPECT_EQ(aborts(), std::vector<std::string>{"M6: C:\\APP\\DX\\NONE.DLL"});
  EXPECT_EQ(currentDirectory(), "C:\\TEMP");
}

}  // namespace
