// Paths and keys as the progress texts show them.
#include "system/short_path.h"

#include <gtest/gtest.h>

namespace {

TEST(ShortPathTest, LongPathsAndKeysAreShortened) {
  struct Case {
    std::string path, shown;
  };
  const Case paths[] = {
      {"C:\\PROGRAM FILES\\SAMPLE VENDOR\\SAMPLE APP\\BIN\\README.TXT", "C:\\...\\SAMPLE APP\\BIN\\README.TXT"},
      {"C:\\APP\\README.TXT", "C:\\APP\\README.TXT"},
      {std::string("C:\\") + std::string(45, 'A'), std::string("C:\\") + std::string(45, 'A')},
      {std::string("C:\\") + std::string(50, 'A'), std::string("C:\\") + std::string(42, 'A') + "..."},
      {"C:\\ABC\\" + std::string(45, 'B'), "C:\\ABC\\" + std::string(38, 'B') + "..."},
  };
  for (const Case& c : paths) {
    SCOPED_TRACE(c.path);
    std::string text = "Removing File:\r\n";
    remvex::AppendShortPath(text, c.path);
    EXPECT_EQ(text, "Removing File:\r\n" + c.shown);
  }
  const std::string key = "Software\\Sample Vendor\\Sample Application\\Settings\\Window";
  ASSERT_EQ(key.size(), 57u);
  EXPECT_EQ(remvex::ShortKey(key), "Software\\Sample Vendor\\Sample Application\\Set...");
  EXPECT_EQ(remvex::ShortKey(key.substr(0, 48)), key.substr(0, 48));
}

}  // namespace
