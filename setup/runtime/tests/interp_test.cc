// The interpreter on assembled scripts: blocks and loops, the comparison operators,
// invalid records, and the records run in place.
#include <string>

#include <gtest/gtest.h>

#include "interp/conditions.h"
#include "interp/loop_stack.h"
#include "interp/temp_files.h"
#include "script/variables.h"
#include "script_run.h"
#include "win/files.h"
#include "win/profile.h"

namespace {

using merl_testing::ScriptRunTest;

class InterpTest : public ScriptRunTest {};

TEST_F(InterpTest, IfElseRunsOneBranchThenGoesOnAfterTheEnd) {
  struct Case {
    const char* value;
    const char* log;
  } cases[] = {{"1", "TE"}, {"0", "FE"}};
  for (const Case& c : cases) {
    load(R"(if variable="V" text="1"
log text="T"
else
log text="F"
end
log text="E"
)");
    merl::SetVar("V", c.value);
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(logged(), c.log) << c.value;
  }
}

TEST_F(InterpTest, WhileLoopRunsWhileItsConditionHolds) {
  // The action double counts N up; the loop runs while N is not 3.
  useActionDouble("");
  load(R"(head: if flags=0x11 variable="N" text="3"
call library="C:\\APP\\ACT.DLL" function="SetVars" params="N+=1"
log text="L"
end flags=1
log text="E"
)");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(logged(), "LLLE");
  EXPECT_EQ(byteAt("head", 1), 0x11);
  EXPECT_EQ(merl::loopStack().depth, 0);
}

TEST_F(InterpTest, DoWhileRunsOnceBeforeItsTestAndGetsItsFlagsBack) {
  load(R"(head: if flags=0x31 variable="N" text="done"
log text="B"
end flags=1
log text="E"
)");
  merl::SetVar("N", "done");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(logged(), "BE");
  EXPECT_EQ(byteAt("head", 1), 0x31);
}

TEST_F(InterpTest, MessageBoxAnswersDecideTheBlock) {
  // Cancel is confirmed by the confirmation box (its first button).
  struct Case {
    const char* answers;
    int result;
    const char* log;
  } cases[] = {{"114 1\n", merl::kExit, "AB"}, {"114 3\n", merl::kExit, "B"}, {"114 2\n114 1\n", merl::kAbort, ""}};
  for (const Case& c : cases) {
    useScriptMachine();
    load(R"(msgbox flags=1 title="Title %V%" text="Text"
log text="A"
end
log text="B"
)");
    answers(c.answers);
    merl::SetVar("V", "v");
    EXPECT_EQ(runAll(), c.result) << c.answers;
    EXPECT_EQ(logged(), c.log) << c.answers;
    std::vector<std::string> shown = boxes();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.front(), "Title v|Text");
  }
}

TEST_F(InterpTest, MessageBoxTextsAreCutToTheirBuffers) {
  // Six values of 250 characters: the title keeps 255 of them, the text 1023.
  const std::string longText = "%V%%V%%V%%V%%V%%V%";
  load("msgbox title=\"" + longText + "\" text=\"" + longText + "\"\n");
  merl::SetVar("V", std::string(250, 'v'));
  EXPECT_EQ(runAll(), merl::kExit);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0], std::string(255, 'v') + "|" + std::string(1023, 'v'));
}

TEST_F(InterpTest, RemarksEndACallAndTheNextCallGoesOnAfterThem) {
  load("remark\nremark\nafter: log text=\"A\"\n");
  EXPECT_EQ(merl::RunScript(), merl::kGoOn);
  EXPECT_EQ(merl::cursor().position, label("after"));
  EXPECT_EQ(merl::RunScript(), merl::kExit);
  EXPECT_EQ(logged(), "A");
}

TEST_F(InterpTest, InvalidRecordsAbortWithMessage7InFlowAndInSkippedBlocks) {
  const char* opcodes[] = {"1", "14", "19", "31", "40", "0xFF"};
  for (const char* op : opcodes) {
    for (bool skipped : {false, true}) {
      std::string body = skipped ? "if variable=\"V\" text=\"no\"\nraw " + std::string(op) + "\nend\n"
                                 : "raw " + std::string(op) + "\n";
      useScriptMachine();
      load(body + "log text=\"after\"\n");
      EXPECT_EQ(runAll(), merl::kAbort) << op << " skipped " << skipped;
      EXPECT_EQ(aborts(), std::vector<std::string>{"M7: %s"}) << op;
      EXPECT_EQ(logged(), "");
    }
  }
}

TEST_F(InterpTest, StackLimitsAbortWithMessage7) {
  // An end of a loop with nothing on the loop stack, and a 33rd loop level.
  std::string nested;
  for (int i = 0; i < 33; ++i) nested += "if flags=0x10 variable=\"V\" text=\"\"\n";
  for (const std::string& body : {std::string("end flags=1\n"), nested}) {
    useScriptMachine();
    load(body);
    EXPECT_EQ(runAll(), merl::kAbort);
    EXPECT_EQ(aborts(), std::vector<std::string>{"M7: %s"});
  }
}

TEST_F(InterpTest, AbortFlagAndErrorByteStopTheRunAtOnce) {
  for (int which : {0, 1}) {
    load("log text=\"A\"\n");
    (which ? setup_.errorByte : reinterpret_cast<merl::BYTE&>(setup_.abortFlag)) = 1;
    EXPECT_EQ(merl::RunScript(), merl::kAbort);
    EXPECT_EQ(logged(), "");
  }
}

TEST_F(InterpTest, CompareValuesThroughIfRecords) {
  struct Case {
    const char* value;
    int op;
    const char* text;
    bool holds;
  } cases[] = {
      {"abc", 0, "abc", true},        {"abc", 0, "ABC", false},         {"abc", 4, "ABC", true},
      {"Hello World", 2, "lo W", true}, {"1.5", 6, "1.10", true},       {"1.10", 6, "1.1", false},
      {"1.10", 7, "1.1", true},       {"2.0", 8, "10.0", true},         {"12/31/99", 8, "01/01/00", true},
      {"  10", 6, "9", true},         {"1.0", 8, "1.0a", true},         {"C:\\A*P", 10, "*?", true},
      {"abcz", 11, "abc", true},      {"abc", 12, "3", true},           {"x", 13, "x", false},
      {"x", 14, "x", false},          {"x", 15, "x", false},            {"abc", 1, "abc", false},
      {"abc", 3, "b", false},         {"abc", 5, "ABC", false},         {"1.2", 9, "1.2", true},
      {"abc", 11, "cba", false},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const char* p = c.text; *p; ++p) text += *p == '\\' ? std::string("\\\\") : std::string(1, *p);
    load("if flags=" + std::to_string(c.op) + " variable=\"V\" text=\"" + text + "\"\nlog text=\"1\"\nend\n");
    merl::SetVar("V", c.value);
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ(logged() == "1", c.holds) << c.value << " " << c.op << " " << c.text;
  }
}

TEST_F(InterpTest, OrderedCompareOfLongDigitRunsAndLeadingZeros) {
  struct Case {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"1.99999999999", "1.2", 1}, {"99999999999999999999999", "100000000000000000000000", -1},
      {"007", "7", 0},             {"1.007", "1.7", -1},
      {"1.0", "1.0", 0},           {"10/01/60", "01/01/59", -1},
      {"a", "b", -1},              {"", "x", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(merl::OrderedCompare(c.a, c.b), c.order) << c.a << " " << c.b;
}

TEST_F(InterpTest, TempFileRecordNamesTheVariableAndListsThePath) {
  load("tempfile variable=\"TMPF\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  char name[256];
  merl::GetVar("TMPF", name, sizeof name);
  EXPECT_EQ(std::string(name).rfind("QDF", 0), 0u) << name;
  EXPECT_EQ(std::string(name).find('\\'), std::string::npos);
  ASSERT_EQ(merl::tempFiles().paths.size(), 1u);
  const std::string path = merl::tempFiles().paths[0];
  EXPECT_NE(path.find(std::string("\\") + name), std::string::npos);
  EXPECT_NE(win::GetFileAttributes(path.c_str()), win::INVALID_FILE_ATTRIBUTES);
  merl::DeleteTempFiles();
  EXPECT_EQ(win::GetFileAttributes(path.c_str()), win::INVALID_FILE_ATTRIBUTES);
}

}  // namespace
