// The query actions f8, f9, f11 and f17: what each stores in its variable for
// found, cut, missing and unreadable values, in a test run too.
#include <string>

#include <gtest/gtest.h>

#include "interp/action_params.h"
#include "merl/setup_interface.h"
#include "script/variables.h"
#include "action_call.h"
#include "script_run.h"
#include "system/reg_values.h"

namespace {

class QueryActionTest : public merl_testing::ActionCallTest {
 protected:
  void use(const std::string& machineIni = "") {
    useScriptMachine(machineIni);
    load("log text=\"\"\n");
  }
};

TEST_F(QueryActionTest, IniValueIsStoredWholeCutOrDefaulted) {
  struct Case {
    const char* ini;
    const char* flag;
    const char* stored;
  } cases[] = {
      {"[Paths]\r\nTool=C:\\APP\\BIN\\TOOL.EXE\r\n", "1", "C:\\APP\\BIN"},
      {"[Paths]\r\nTool=C:\\APP\\BIN\\TOOL.EXE\r\n", "0", "C:\\APP\\BIN\\TOOL.EXE"},
      {"[Paths]\r\nTool=TOOL.EXE\r\n", "1", ""},
      {"[Paths]\r\nOther=X\r\n", "1", "NONE"},
      {"[Paths]\r\nTool=\r\n", "0", "NONE"},
  };
  for (const Case& c : cases) {
    use();
    machine().makeFile("WINDOWS/APP.INI", c.ini);
    EXPECT_EQ(call(f8, std::string(c.flag) + "\x7FV\x7F" "APP.INI\x7FPaths\x7FTool\x7FNONE"), 0);
    EXPECT_EQ(value("V"), c.stored) << c.ini << c.flag;
  }
}

TEST_F(QueryActionTest, RegistryValueComesFromTheRootOfNumberShiftedAndDefaultsOtherwise) {
  struct Case {
    int number;
    const char* valueName;
    const char* stored;
  } cases[] = {
      {4, "Dir", "C:\\APP\\BIN"},     // HKLM, whole
      {5, "Dir", "C:\\APP"},          // HKLM, cut
      {4, "Count", "4000000000"},     // a DWORD as unsigned decimal
      {2, "Dir", "DEF"},              // HKCU has no such key
      {4, "Gone", "DEF"},             // no such value
      {10, "Dir", "DEF"},             // root 5 is beyond the table
      {-2, "Dir", "DEF"},
  };
  for (const Case& c : cases) {
    use();
    const char dir[] = "C:\\APP\\BIN";
    ASSERT_EQ(merl::WriteRegValue(2, "Software\\Tool", "Dir", merl::kTypeSz, reinterpret_cast<const win::BYTE*>(dir),
                                  sizeof dir, false),
              0);
    win::DWORD count = 4000000000u;
    ASSERT_EQ(merl::WriteRegValue(2, "Software\\Tool", "Count", merl::kTypeDword,
                                  reinterpret_cast<const win::BYTE*>(&count), sizeof count, false),
              0);
    EXPECT_EQ(call(f9, std::to_string(c.number) + "\x7FV\x7FSoftware\\Tool\x7F" "DEF\x7F" + c.valueName), 0);
    EXPECT_EQ(value("V"), c.stored) << c.number << " " << c.valueName;
  }
}

TEST_F(QueryActionTest, AnOverlongRegistryKeyIsCutAndReadAsMissing) {
  use();
  EXPECT_EQ(call(f9, "4\x7FV\x7F" + std::string(2000, 'K') + "\x7F" "DEF\x7FX"), 0);
  EXPECT_EQ(value("V"), "DEF");
}

TEST_F(QueryActionTest, SystemDirectoryGoesIntoTheVariable) {
  use();
  EXPECT_EQ(call(f11, "SYSDIR"), 0);
  EXPECT_EQ(value("SYSDIR"), "C:\\WINDOWS\\SYSTEM");
}

TEST_F(QueryActionTest, EnvironmentValueIsLookedUpUpperCasedCutAndBounded) {
  const std::string longValue(300, 'L');
  struct Case {
    const char* params;
    std::string stored;
  } cases[] = {
      {"0\x7FV\x7F" "comspec\x7F" "DEF", "C:\\WINDOWS\\COMMAND.COM"},
      {"1\x7FV\x7F" "ComSpec\x7F" "DEF", "C:\\WINDOWS"},
      {"0\x7FV\x7Fmissing\x7F" "DEF", "DEF"},
      {"0\x7FV\x7FLONG\x7F" "DEF", longValue.substr(0, 254)},
  };
  for (const Case& c : cases) {
    use("[env]\nCOMSPEC = C:\\WINDOWS\\COMMAND.COM\nLONG = " + longValue + "\n");
    EXPECT_EQ(call(f17, c.params), 0);
    EXPECT_EQ(value("V"), c.stored) << c.params;
  }
}

TEST_F(QueryActionTest, QueriesRunInATestRun) {
  use("[env]\nTMP = C:\\TMP\n");
  run_().runState = merl::kStateTest;
  EXPECT_EQ(call(f17, "0\x7FV\x7FTMP\x7F"), 0);
  EXPECT_EQ(value("V"), "C:\\TMP");
}

}  // namespace
