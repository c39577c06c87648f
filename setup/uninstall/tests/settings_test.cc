// The [Settings] keys of the program's INI file, with their defaults from the
// string table and its [Language] overrides.
#include "start/settings.h"

#include <gtest/gtest.h>

#include "win_testing/test_machine.h"

namespace {

TEST(SettingsTest, KeysDefaultsAndOverrides) {
  struct Case {
    const char* name;
    const char* ini;
    remvex::Colour start, delta;
    bool noBackground;
    const char* font;
    int characterSet;
  };
  const Case cases[] = {
      {"no file", nullptr, {0, 0, 255}, {0, 0, -255}, false, "Times New Roman", 0},
      {"colours as start and difference",
       "[Settings]\r\nStart Red=10\r\nEnd Red=30\r\nStart Blue=0\r\nEnd Green=5\r\nNo Background=2\r\n",
       {10, 0, 0},
       {20, 5, 0},
       true,
       "Times New Roman",
       0},
      {"font keys", "[Settings]\r\nTitleFont=Arial\r\nFont Character Set=128\r\n", {0, 0, 255}, {0, 0, -255}, false,
       "Arial", 128},
      {"defaults from [Language]", "[Language]\r\nMsg71=Courier|New\r\nMsg75=2\r\n", {0, 0, 255}, {0, 0, -255}, false,
       "Courier\r\nNew", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    win_testing::TestMachine m;
    if (c.ini) m.makeFile("APP/REMVEX32.INI", c.ini);
    const remvex::StartSettings s = remvex::ReadStartSettings("C:\\APP\\REMVEX32.INI");
    EXPECT_EQ(s.gradientStart.red, c.start.red);
    EXPECT_EQ(s.gradientStart.green, c.start.green);
    EXPECT_EQ(s.gradientStart.blue, c.start.blue);
    EXPECT_EQ(s.gradientDelta.red, c.delta.red);
    EXPECT_EQ(s.gradientDelta.green, c.delta.green);
    EXPECT_EQ(s.gradientDelta.blue, c.delta.blue);
    EXPECT_EQ(s.noBackground, c.noBackground);
    EXPECT_EQ(s.titleFont, c.font);
    EXPECT_EQ(s.fontCharacterSet, c.characterSet);
  }
}

}  // namespace
