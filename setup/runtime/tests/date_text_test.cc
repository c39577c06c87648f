// The date and time text, with and without seconds, cut to its buffer.
#include "text/date_text.h"

#include "runtime_test.h"

namespace {

class DateTextTest : public merl_testing::RuntimeTest {};

TEST_F(DateTextTest, ShortDateAndTimeOfTheSystemLocale) {
  useMachine("[clock]\nstart = 2003-02-25T14:05:09\n");
  char text[64];
  merl::FormatDateTimeNow(text, sizeof text, true);
  EXPECT_STREQ(text, "2/25/2003 14:05:09");
  merl::FormatDateTimeNow(text, sizeof text, false);
  EXPECT_STREQ(text, "2/25/2003 14:05");
  char small[6];
  merl::FormatDateTimeNow(small, sizeof small, true);
  EXPECT_STREQ(small, "2/25/");
}

}  // namespace
