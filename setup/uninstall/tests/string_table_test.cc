// Message texts: the string table and the [Language] overrides.
#include "string_table.h"

#include <gtest/gtest.h>

#include "constants.h"
#include "win_testing/test_machine.h"

namespace {

TEST(StringsTest, OverridesAndTable) {
  win_testing::TestMachine machine;
  machine.makeFile("APP/REMVEX32.INI", "[Language]\r\nMsg5=one|two\r\nMsg76=%s%n\r\nMsg7=" + std::string(300, '|') +
                                           "\r\n");
  const std::string ini = "C:\\APP\\REMVEX32.INI";
  EXPECT_EQ(remvex::LoadMessage(ini, 5), "one\r\ntwo");
  EXPECT_EQ(remvex::LoadMessage(ini, 76), "%s%n");
  EXPECT_EQ(remvex::LoadMessage(ini, 4), "Invalid INSTALL.LOG file.");
  EXPECT_EQ(remvex::LoadMessage(ini, 3), "");
  EXPECT_LT(remvex::LoadMessage(ini, 7).size(), remvex::kMessageSize);
  EXPECT_EQ(remvex::FormatMessage1("a %s b %s %d", "%s"), "a %s b %s %d");
  EXPECT_EQ(remvex::FormatMessage1(remvex::LoadMessage(ini, 13), "Demo"),
            "You are now ready to uninstall the Demo from your system.");
}

}  // namespace
