// Font resources: the calls recorded in the transcript and the resource file made.
#include "win/font_resources.h"

#include <gtest/gtest.h>

#include "ui_test_support.h"
#include "win/files.h"

namespace {

using namespace win;
using win_testing::TestMachine;

TEST(FontResourcesTest, AddedFontsAndMadeResourcesAreRecorded) {
  TestMachine m(ui_test::kTranscriptIni);
  struct Case {
    const char* name;
    int result;
  } adds[] = {{"X.TTF", 1}, {"", 0}, {nullptr, 0}};
  for (const Case& c : adds) EXPECT_EQ(AddFontResource(c.name), c.result);
  EXPECT_TRUE(CreateScalableFontResource(0, "C:\\WINDOWS\\SYSTEM\\X.FOT", "X.TTF", "C:\\WINDOWS\\SYSTEM"));
  EXPECT_NE(GetFileAttributes("C:\\WINDOWS\\SYSTEM\\X.FOT"), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(CreateScalableFontResource(0, "C:\\NO\\SUCH\\X.FOT", "X.TTF", ""));
  EXPECT_FALSE(CreateScalableFontResource(0, "", "X.TTF", ""));
  std::string t = ui_test::transcriptOf(m);
  EXPECT_EQ(ui_test::events(m, "font-add").size(), 1u);
  EXPECT_NE(t.find("\"ev\":\"font-add\",\"file\":\"X.TTF\""), std::string::npos) << t;
  EXPECT_NE(t.find("\"ev\":\"font-resource\",\"hidden\":0,\"resource\":\"C:\\\\WINDOWS\\\\SYSTEM\\\\X.FOT\","
                   "\"file\":\"X.TTF\",\"path\":\"C:\\\\WINDOWS\\\\SYSTEM\""),
            std::string::npos)
      << t;
  EXPECT_EQ(ui_test::events(m, "font-resource").size(), 1u);
}

}  // namespace
