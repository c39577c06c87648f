// Event sinks write one readable line per event.
#include "platform/event_log.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform_testing/temp_dir.h"

TEST(EventLogTest, WritesOneLinePerEventWithTimeSourceTypeAndText) {
  platform_testing::TempDir dir;
  platform_testing::ScopedEnv env("IDS_PLATFORM_DIR", dir.path());
  {
    platform::EventSource source("Demo");
    ASSERT_TRUE(source.valid());
    EXPECT_TRUE(source.report(platform::kEventInformation, "started\nnow"));
    EXPECT_TRUE(source.report(platform::kEventError, "failed"));
  }
  std::string text;
  ASSERT_TRUE(platform::readWholeFile(platform::eventLogPath("Demo"), text));
  auto first = text.substr(0, text.find('\n'));
  EXPECT_EQ(first.substr(24), "\tDemo\tinformation\tstarted now");
  EXPECT_NE(text.find("\tDemo\terror\tfailed\n"), std::string::npos);
}
