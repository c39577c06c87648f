// Library call records with the action double: the block form of each load path,
// freeing, the reported variable count, missing functions and loop heads.
#include <string>

#include <gtest/gtest.h>

#include "entry/copy_progress.h"
#include "entry/screen_services.h"
#include "script/variables.h"
#include "script_run.h"
#include "win/library.h"

namespace {


class LibraryCallTest : public merl_testing::ScriptRunTest {
 public:
  using ScriptRunTest::doublesLog;

 protected:
  std::string value(const char* name) {
    char v[256];
    merl::GetVar(name, v, sizeof v);
    return v;
  }
};

const char* const kCall = "call library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"NEWVAR=5\"\n";

TEST_F(LibraryCallTest, EachLoadPathGetsItsBlockAndOnlyThePreferredOneIsFreed) {
  struct Case {
    const char* extra;
    const char* form;
    bool staysLoaded;
  } cases[] = {{"", "\"form\":\"external\"", false},
               {"[failures]\nloadlibraryex = *\\act.dll\n", "\"form\":\"internal\"", true}};
  for (const Case& c : cases) {
    useActionDouble("", c.extra);
    load(kCall);
    EXPECT_EQ(runAll(), merl::kExit);
    std::string calls = doublesLog();
    EXPECT_NE(calls.find(c.form), std::string::npos) << calls;
    EXPECT_NE(calls.find(c.staysLoaded ? "\"size\":80" : "\"size\":96"), std::string::npos) << calls;
    EXPECT_EQ(value("NEWVAR"), "5");
    EXPECT_EQ(win::GetModuleHandle("C:\\APP\\ACT.DLL") != nullptr, c.staysLoaded);
    EXPECT_TRUE(aborts().empty());
  }
}

TEST_F(LibraryCallTest, AMissingFunctionOrLibraryAbortsWithMessage6) {
  for (const char* body : {"call library=\"C:\\\\APP\\\\ACT.DLL\" function=\"Nope\" params=\"\"\n",
                           "call library=\"C:\\\\APP\\\\NONE.DLL\" function=\"SetVars\" params=\"\"\n",
                           "call flags=8 library=\"\" function=\"f4\" params=\"\"\n"}) {
    useActionDouble("");
    load(std::string(body) + "log text=\"after\"\n");
    EXPECT_EQ(runAll(), merl::kAbort) << body;
    std::vector<std::string> shown = aborts();
    ASSERT_EQ(shown.size(), 1u) << body;
    EXPECT_EQ(shown[0].rfind("M6: ", 0), 0u) << shown[0];
    EXPECT_EQ(logged(), "");
  }
}

TEST_F(LibraryCallTest, AReportedCountOver250IsClamped) {
  useActionDouble("report_count = 300\n");
  load(std::string(kCall) + "log text=\"[%NEWVAR%]\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(merl::variables().count, 250);
  EXPECT_EQ(logged().front(), '[');
}

TEST_F(LibraryCallTest, ResultsDecideBlocksAndLoops) {
  struct Case {
    int flags;
    const char* results;
    const char* log;
    int result;
  } cases[] = {
      {0x02, "0", "E", merl::kExit},    {0x02, "1", "BE", merl::kExit}, {0x01, "1", "", merl::kAbort},
      {0x00, "1", "BE", merl::kExit},   {0x13, "1,1,0", "BBBE", merl::kExit},
      {0x00, "0", "BE", merl::kExit},   {0x01, "0", "BE", merl::kExit}, {0x03, "0", "E", merl::kExit},
      {0x03, "1,1,0", "BBE", merl::kExit}, {0x13, "0", "BE", merl::kExit},
  };
  for (const Case& c : cases) {
    useActionDouble(std::string("results = ") + c.results + "\n");
    std::string end = (c.flags & 3) == 3 ? "end flags=1\n" : (c.flags & 2) ? "end\n" : "";
    load("head: call flags=" + std::to_string(c.flags) +
         " library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"N+=1\"\nlog text=\"B\"\n" + end +
         "log text=\"E\"\n");
    EXPECT_EQ(runAll(), c.result) << c.flags << " " << c.results;
    EXPECT_EQ(logged(), c.log) << c.flags << " " << c.results;
    EXPECT_EQ(byteAt("head", 1), c.flags);
  }
}

TEST_F(LibraryCallTest, SkippingIntoTheEndMarkEndsTheRun) {
  useActionDouble("results = 0\n");
  load("call flags=2 library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"\"\nlog text=\"B\"\n");
  EXPECT_EQ(runAll(), merl::kEndMark);
  EXPECT_EQ(logged(), "");
}

TEST_F(LibraryCallTest, AnOwnExportNeverLoadsTheNamedLibrary) {
  useActionDouble("");
  load("call flags=8 library=\"C:\\\\APP\\\\ACT.DLL\" function=\"f3\" params=\"\"\nlog text=\"E\"\n");
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(logged(), "E");
  EXPECT_EQ(win::GetModuleHandle("C:\\APP\\ACT.DLL"), nullptr);
  EXPECT_EQ(doublesLog(), "");
  EXPECT_TRUE(aborts().empty());
}

TEST_F(LibraryCallTest, A33rdLoopHeadIsAnInvalidRecord) {
  useActionDouble("");
  std::string nested;
  for (int i = 0; i < 33; ++i)
    nested += "call flags=0x13 library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"\"\n";
  load(nested);
  EXPECT_EQ(runAll(), merl::kAbort);
  std::vector<std::string> shown = aborts();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].rfind("M7: ", 0), 0u) << shown[0];
}

TEST_F(LibraryCallTest, Flag4ClosesTheCopyDialogBeforeTheCall) {
  useActionDouble("");
  load("call flags=4 library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"\"\n");
  const win::HWND dialog = merl::OpenCopyDialog("Copying");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_EQ(merl::run().state<merl::CopyProgressLink>().copyDialog, nullptr);
  // In the transcript the dialog goes before the library is loaded.
  int destroyed = -1, loaded = -1, n = 0;
  for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl"))) {
    if (destroyed < 0 && line["ev"].text() == "window-destroy" &&
        line["hwnd"].integer() == static_cast<long long>(reinterpret_cast<std::uintptr_t>(dialog)))
      destroyed = n;
    if (loaded < 0 && line["ev"].text() == "library-load") loaded = n;
    ++n;
  }
  EXPECT_GE(destroyed, 0);
  EXPECT_GT(loaded, destroyed);
  EXPECT_NE(doublesLog().find("SetVars"), std::string::npos);
}

}  // namespace
