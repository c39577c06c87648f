// Content conversion of sensor rules: hexadecimal digit pairs and text, with
// the content kind that drops the length.
#include "server/push/content.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace cvlm {
namespace {

struct ContentCase {
  const char* pattern;
  std::uint8_t textForm;
  std::uint8_t kind;
  std::vector<std::uint8_t> bytes;  // expected leading content bytes
  std::uint16_t length;
};

TEST(Content, ConvertsHexAndTextPatterns) {
  const ContentCase cases[] = {
      {"abc", 0, 0, {0x0A, 0xBC}, 2},
      {"41", 0, 0, {0x41}, 1},
      {"", 0, 0, {}, 0},
      {"4a4B", 0, 16, {0x4A, 0x4B}, 2},  // kind does not change the hex length
      {"0fF0", 0, 0, {0x0F, 0xF0}, 2},
      {"GET", 1, 16, {'G', 'E', 'T', 0}, 0},
      {"GET", 1, 0, {'G', 'E', 'T', 0}, 3},
  };
  for (const ContentCase& c : cases) {
    char pattern[kContentSize] = {};
    std::strcpy(pattern, c.pattern);
    std::uint8_t out[kContentSize] = {};
    EXPECT_EQ(convertContent(pattern, c.textForm, c.kind, out), c.length) << c.pattern;
    for (std::size_t i = 0; i < c.bytes.size(); ++i) EXPECT_EQ(out[i], c.bytes[i]) << c.pattern << " byte " << i;
    for (std::size_t i = c.bytes.size(); i < kContentSize; ++i) ASSERT_EQ(out[i], 0) << c.pattern << " byte " << i;
  }
}

TEST(Content, FullPatternsStayInsideTheField) {
  char pattern[kContentSize];
  std::memset(pattern, 'f', sizeof pattern);
  std::uint8_t out[kContentSize] = {};
  EXPECT_EQ(convertContent(pattern, 0, 0, out), 64);
  EXPECT_EQ(out[63], 0xFF);
  EXPECT_EQ(out[64], 0);

  pattern[127] = 0;  // 127 digits: a leading 0 makes 64 bytes
  std::memset(out, 0, sizeof out);
  EXPECT_EQ(convertContent(pattern, 0, 0, out), 64);
  EXPECT_EQ(out[0], 0x0F);

  std::memset(pattern, 'x', sizeof pattern);
  EXPECT_EQ(convertContent(pattern, 1, 0, out), 128);
  EXPECT_EQ(out[127], 'x');
}

TEST(Content, HexByteFollowsItsDigitRules) {
  EXPECT_EQ(hexByte('4', 'a'), 0x4A);
  EXPECT_EQ(hexByte('A', 'F'), 0xAF);
  EXPECT_EQ(hexByte('f', 'f'), 0xFF);
  EXPECT_EQ(hexByte('0', '0'), 0x00);
  EXPECT_EQ(hexByte('9', '9'), 0x99);
}

}  // namespace
}  // namespace cvlm
