// Stream XOR and record scrambling.
#include "protocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ProtocolTest, WorkedExampleDecodesAndXorIsItsOwnInverse) {
  unsigned char encoded[6] = {0x12, 0x34, 0x72, 0x01, 0x26, 0x21};
  ASSERT_EQ(cvlm::decodeRecord(encoded, 6), 1);
  const unsigned char plain[6] = {0x12, 0x34, 0x61, 0x62, 0x63, 0x21};
  EXPECT_EQ(std::vector<unsigned char>(encoded, encoded + 6), std::vector<unsigned char>(plain, plain + 6));

  unsigned char data[20];
  for (int i = 0; i < 20; ++i) data[i] = static_cast<unsigned char>(i);
  cvlm::xorUiStream(data, 20);
  EXPECT_EQ(data[0], '7');
  EXPECT_EQ(data[9], '7' ^ 9);
  cvlm::xorUiStream(data, 20);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(data[i], i);
}

}  // namespace
