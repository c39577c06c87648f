// Expansion of variable references, into a separate buffer and in place, with
// the limit cutting values and the text that follows them, and the log form
// that keeps values from adding lines.
#include "script/expansion.h"

#include <cstring>
#include <string>

#include "runtime_test.h"
#include "script_run.h"
#include "script/variables.h"
#include "text/copy_text.h"

namespace {

class ExpansionTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override {
    merl::copyText(merl::FindVar("%%"), merl::kValueSlotSize, "%");
    merl::SetVar("WIN", "C:\\WINDOWS");
    merl::SetVar("SYS", "C:\\WINDOWS\\SYSTEM");
    merl::SetVar("X", "%SYS%");
  }
};

struct ExpandCase {
  const char* source;
  std::size_t limit;
  const char* result;
};

TEST_F(ExpansionTest, IntoASeparateBuffer) {
  const ExpandCase cases[] = {
      {"%WIN%\\DEMO.INI", 256, "C:\\WINDOWS\\DEMO.INI"},
      {"%win%", 256, "C:\\WINDOWS"},
      {"%%WIN%%", 256, "%WIN%"},
      {"50% off %WIN%", 256, "50WIN"},
      {"a%UNSET%b", 256, "ab"},
      {"ab%WIN%cd", 10, "abC:\\WIND"},
      {"abcdef%WIN%", 10, "abcdef"},
      {"[%X%]", 256, "[%SYS%]"},
      {"lone % sign", 256, "lone "},
      {"%WIN%", 1, ""},
      {"", 256, ""},
  };
  for (const auto& c : cases) {
    char out[300];
    std::memset(out, 'z', sizeof out);
    merl::ExpandVars(out, c.source, c.limit);
    EXPECT_STREQ(out, c.result) << c.source << " limit " << c.limit;
  }
}

TEST_F(ExpansionTest, InPlaceTheTextIsNotCutBeforeTheScan) {
  char text[64] = "abcdef%WIN%";
  merl::ExpandVars(text, text, 10);
  EXPECT_STREQ(text, "abcdefC:\\");

  char separate[64];
  merl::ExpandVars(separate, "abcdef%WIN%", 10);
  EXPECT_STREQ(separate, "abcdef");
}

TEST_F(ExpansionTest, InPlaceResultStaysWithinTheLimit) {
  char text[64] = "0123456789ABCDEF%WIN%";
  merl::ExpandVars(text, text, 10);
  EXPECT_STREQ(text, "012345678");
  std::strcpy(text, "%WIN%%WIN%");
  merl::ExpandVars256(text, text);
  EXPECT_STREQ(text, "C:\\WINDOWSC:\\WINDOWS");
}

TEST_F(ExpansionTest, LongValuesAreCutToTheLimit) {
  merl::SetVar("LONG", std::string(600, 'v'));
  char out[300];
  merl::ExpandVars256(out, "<%LONG%>");
  EXPECT_EQ(std::string(out), "<" + std::string(254, 'v'));
}

TEST_F(ExpansionTest, SourceWithoutTerminatorIsReadOnlyAsFarAsItsView) {
  const char bytes[] = {'%', 'W', 'I', 'N', '%', '#'};
  char out[32];
  merl::ExpandVars256(out, std::string_view(bytes, 5));
  EXPECT_STREQ(out, "C:\\WINDOWS");
}

TEST_F(ExpansionTest, LogTextsBlankTheLineEndsOfValuesOnly) {
  merl::SetVar("INJECT", "a\r\nFile Copy: C:\\X");
  const ExpandCase cases[] = {
      {"Note: %INJECT%\r\n", 256, "Note: a  File Copy: C:\\X\r\n"},
      {"one\r\ntwo\n", 256, "one\r\ntwo\n"},
      {"[%INJECT%]", 12, "[a  File Co"},
  };
  for (const auto& c : cases) {
    char out[300];
    merl::ExpandVarsForLog(out, c.source, c.limit);
    EXPECT_STREQ(out, c.result) << c.source;
  }
  char plain[300];
  merl::ExpandVars256(plain, "%INJECT%");
  EXPECT_STREQ(plain, "a\r\nFile Copy: C:\\X");
}

class LogTextRecordTest : public merl_testing::ScriptRunTest {};

TEST_F(LogTextRecordTest, ValuesCannotAddLinesButTheScriptsTextKeepsItsOwn) {
  load("log text=\"Note: %V%\\r\\nDone\\r\\n\"\n");
  merl::SetVar("V", "a\r\nFile Copy: C:\\X");
  runAll();
  EXPECT_EQ(logged(), "Note: a  File Copy: C:\\X\r\nDone\r\n");
}

}  // namespace
