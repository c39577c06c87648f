// Path texts: a final backslash that is the trail byte of a double-byte
// character does not count.
#include "log/path_names.h"

#include <gtest/gtest.h>

#include "win_testing/test_machine.h"

namespace {

TEST(PathNamesTest, FinalBackslashOnADoubleByteCodePage) {
  win_testing::TestMachine m("[system]\ncodepage = 932\n");
  struct Case {
    const char* text;
    bool ends;
  };
  const Case cases[] = {
      {"C:\\APP\\", true},     {"C:\\APP", false},         {"", false},
      {"C:\\\x83\x5C", false}, {"C:\\\x83\x5C\\", true},   {"\\", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(remvex::EndsWithBackslash(c.text), c.ends);
  }
  EXPECT_EQ(remvex::WindowsDirectoryFile("WININIT.INI"), "C:\\WINDOWS\\WININIT.INI");
}

}  // namespace
