// Setting and splitting variables (f16, f27): append, cut at the last backslash,
// the conversions, the /M= settings file, and the split by pattern or count.
#include <string>

#include <gtest/gtest.h>

#include "entry/main_state.h"
#include "action_call.h"

namespace {

using TextActionTest = merl_testing::ActionCallTest;

TEST_F(TextActionTest, SetVariableAppendsCutsAndConverts) {
  machine().makeFile("APP/BIN/TOOL.EXE", "x");
  struct Case {
    const char* params;
    const char* before;
    const char* after;
  } cases[] = {
      {"5\x7F" "COUNT\x7F", "41", "42"},
      {"9\x7F" "COUNT\x7F", "41", "40"},
      {"4\x7F" "COUNT\x7F" "2147483647", "", "2147483647"},
      {"0\x7F" "V\x7F" "new", "old", "new"},
      {"1\x7F" "V\x7F" "+tail", "old", "old+tail"},
      {"2\x7F" "V\x7F" "C:\\APP\\BIN", "", "C:\\APP"},
      {"2\x7F" "V\x7F" "NOSLASH", "", "NOSLASH"},
      {"12\x7F" "V\x7F" "C:\\APP\\\\\\", "", "C:\\APP"},
      {"12\x7F" "V\x7F" "\\\\", "", "\\"},
      {"16\x7F" "V\x7F" "c:\\app\\bin\\tool.exe", "", "C:\\APP\\BIN\\TOOL.EXE"},
      {"24\x7F" "V\x7F" "MiXed", "", "MIXED"},
      {"28\x7F" "V\x7F" "MiXed", "", "mixed"},
      {"60\x7F" "V\x7F" "Same", "", "Same"},
      {"0\x7F" "V", "old", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    const char* name = std::string(c.params).find("COUNT") != std::string::npos ? "COUNT" : "V";
    merl::SetVar(name, c.before);
    EXPECT_EQ(call(f16, c.params), 0);
    EXPECT_EQ(value(name), c.after);
  }
}

TEST_F(TextActionTest, SettingsFileGivesTheValueWhenItNamesTheVariable) {
  machine().makeFile("SET.INI", "  ; comment\r\n1X=no\r\n  Target Dir = %WIN%\\Tool  \r\nOTHER=o\r\n");
  merl::SetVar("TARGET", "old");
  // Without a settings file mode 128 takes the value field.
  EXPECT_EQ(call(f16, "128\x7FTARGET\x7F" "field"), 0);
  EXPECT_EQ(value("TARGET"), "field");
  merl::mainState().setVariableFile = "C:\\SET.INI";
  EXPECT_EQ(call(f16, "128\x7F" "target\x7F" "field"), 0);
  EXPECT_EQ(value("TARGET"), " C:\\WINDOWS\\Tool");
  EXPECT_EQ(call(f16, "129\x7FOTHER\x7F" "field"), 0);
  EXPECT_EQ(value("OTHER"), "o");
  EXPECT_EQ(call(f16, "128\x7FMISSING\x7F" "field"), 0);
  EXPECT_EQ(value("MISSING"), "field");
}

TEST_F(TextActionTest, SplitByPatternOrCount) {
  struct Case {
    const char* params;
    const char* left;
    const char* right;
  } cases[] = {
      {"8\x7F" "ABCDEF\x7F" "3\x7FL\x7FR", "ABC", "DEF"},
      {"12\x7F" "ABCDEF\x7F" "2\x7FL\x7FR", "ABCD", "EF"},
      {"8\x7F" "ABCDEF\x7F" "-4\x7FL\x7FR", "", "ABCDEF"},
      {"8\x7F" "ABCDEF\x7F" "99\x7FL\x7FR", "ABCDEF", ""},
      {"12\x7F" "ABCDEF\x7F" "99\x7FL\x7FR", "", "ABCDEF"},
      {"0\x7F" "ABCDEF\x7F" "CD\x7FL\x7FR", "AB", "CDEF"},
      {"0\x7F" "ABCDEF\x7F" "XY\x7FL\x7FR", "ABCDEF", ""},
      {"4\x7F" "ABCDEF\x7F" "XY\x7FL\x7FR", "", "ABCDEF"},
      {"4\x7F" "a.b.c\x7F.\x7FL\x7FR", "a.b", ".c"},
      {"0\x7F" "abCDef\x7F" "cd\x7FL\x7FR", "abCDef", ""},
      {"2\x7F" "abCDef\x7F" "cd\x7FL\x7FR", "ab", "CDef"},
      {"1\x7F" " ab , cd \x7F,\x7FL\x7FR", "ab", ", cd"},
      {"0\x7F" "ABCDEF\x7F\x7FL\x7FR", "", ""},
      {"0\x7F\x7F" "CD\x7FL\x7FR", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    merl::SetVar("L", "stale");
    merl::SetVar("R", "stale");
    EXPECT_EQ(call(f27, c.params), 0);
    EXPECT_EQ(value("L"), c.left);
    EXPECT_EQ(value("R"), c.right);
  }
}

TEST_F(TextActionTest, SplitWithOneVariableSetsOnlyThatOne) {
  merl::SetVar("R", "kept");
  EXPECT_EQ(call(f27, "8\x7F" "ABCDEF\x7F" "3\x7FL\x7F"), 0);
  EXPECT_EQ(value("L"), "ABC");
  EXPECT_EQ(value("R"), "kept");
}

}  // namespace
