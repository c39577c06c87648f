// The message formatter: ordered arguments for %s %c %d %ld %u, everything
// else literal, the output cut to its buffer.
#include "text/message_format.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct FormatCase {
  const char* format;
  std::vector<merl::FormatArg> args;
  const char* result;
};

TEST(MessageFormat, ConvertsOnlyItsConversionsWhileArgumentsRemain) {
  const FormatCase cases[] = {
      {"Cannot run %s%s%n", {"C:\\A.EXE"}, "Cannot run C:\\A.EXE%s%n"},
      {"%d KB free on drive %c:", {1234, 'D'}, "1234 KB free on drive D:"},
      {"%ld of %u", {-5, -1}, "-5 of 4294967295"},
      {"%c%c", {"xyz", 0}, "x"},
      {"%d", {"text"}, "text"},
      {"%s", {42}, "42"},
      {"100% %% %x %5d %l %", {1}, "100% %% %x %5d %l %"},
      {"%s", {}, "%s"},
      {"no conversions", {"unused"}, "no conversions"},
  };
  for (const auto& c : cases) {
    char out[128];
    std::size_t n = merl::formatScriptMessage(out, sizeof out, c.format, c.args);
    EXPECT_STREQ(out, c.result) << c.format;
    EXPECT_EQ(n, std::strlen(c.result)) << c.format;
  }
}

TEST(MessageFormat, OutputIsCutToItsBuffer) {
  char out[8];
  std::memset(out, 'z', sizeof out);
  EXPECT_EQ(merl::formatScriptMessage(out, sizeof out, "abc%sdef", {"XYZWVU"}), 7u);
  EXPECT_STREQ(out, "abcXYZW");
  EXPECT_EQ(merl::formatScriptMessage(out, 1, "abc", {}), 0u);
  EXPECT_STREQ(out, "");
  std::string huge(100000, 'h');
  EXPECT_EQ(merl::formatScriptMessage(out, sizeof out, "%s%s", {huge, huge}), 7u);
  EXPECT_STREQ(out, "hhhhhhh");
}

}  // namespace
