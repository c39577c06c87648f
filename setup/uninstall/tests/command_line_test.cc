// Command lines: switches, the log path, the title and the second stage.
#include "start/command_line.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* text;
  bool automatic, silent, secondStage, rollback, noCopy;
  const char* log;
  const char* title;  // nullptr: none
};

TEST(CommandLineTest, Table) {
  const Case cases[] = {
      {"/a /r C:\\APP\\INSTALL.LOG My Product", true, false, false, true, false, "C:\\APP\\INSTALL.LOG", "My Product"},
      {"/S C:\\APP\\INSTALL.LOG \"Demo Suite\"", true, true, false, false, false, "C:\\APP\\INSTALL.LOG", "Demo Suite"},
      {"/Z/S C:\\X.LOG", true, true, false, false, true, "C:\\X.LOG", nullptr},
      {"/Q C:\\X.LOG", false, false, false, false, false, "/Q", "C:\\X.LOG"},
      {"/Zx C:\\X.LOG", false, false, false, false, true, "x", "C:\\X.LOG"},
      {"/z A B", false, false, true, false, true, "A B", nullptr},
      {"", false, false, false, false, false, "", nullptr},
      {"/S", true, true, false, false, false, "", nullptr},
      {"/", false, false, false, false, false, "/", nullptr},
      {"C:\\X.LOG ", false, false, false, false, false, "C:\\X.LOG", nullptr},
      {" /A C:\\X.LOG", false, false, false, false, false, "/A", "C:\\X.LOG"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    remvex::CommandLine line = remvex::ParseCommandLine(c.text);
    EXPECT_EQ(line.automatic, c.automatic);
    EXPECT_EQ(line.silent, c.silent);
    EXPECT_EQ(line.secondStage, c.secondStage);
    EXPECT_EQ(line.rollback, c.rollback);
    EXPECT_EQ(line.noTemporaryCopy, c.noCopy);
    EXPECT_EQ(line.logPath, c.log);
    EXPECT_EQ(line.title.has_value(), c.title != nullptr);
    if (c.title && line.title) {
      EXPECT_EQ(*line.title, c.title);
    }
  }
}

TEST(CommandLineTest, LongTextIsTakenWhole) {
  std::string text = "/S " + std::string(2000, 'x') + " " + std::string(10, 'y');
  remvex::CommandLine line = remvex::ParseCommandLine(text);
  EXPECT_EQ(line.logPath, std::string(2000, 'x'));
  EXPECT_EQ(line.title.value_or(""), std::string(10, 'y'));
}

TEST(CommandLineTest, ArgumentsJoinAndSplitWithQuotes) {
  EXPECT_EQ(remvex::JoinArguments({"/z", "C:\\MY APP\\REMVEX32.EXE", "C:\\MY APP\\"}),
            "/z \"C:\\MY APP\\REMVEX32.EXE\" \"C:\\MY APP\\\"");
  EXPECT_EQ(remvex::SplitWords("\"C:\\MY APP\\R.EXE\"  C:\\LOG\\"),
            (std::vector<std::string>{"C:\\MY APP\\R.EXE", "C:\\LOG\\"}));
  EXPECT_EQ(remvex::SplitWords("\"unterminated"), (std::vector<std::string>{"unterminated"}));
}

}  // namespace
