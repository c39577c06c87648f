// The Internet checksum of a kernel push, with its wrapping accumulator.
#include "server/sensor/checksum.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ChecksumTest, InetChecksumOfKnownBuffers) {
  struct Case {
    std::string data;
    std::uint16_t sum;
  } cases[] = {
      {"abc", 0x9D3B},
      {"", 0xFFFF},
      {std::string("\x01\x02", 2), 0xFDFE},  // first byte is the low one
      {std::string("\xFF\xFF\xFF\xFF", 4), 0x0000},
  };
  for (const auto& c : cases) EXPECT_EQ(cvlm::inetChecksum(c.data.data(), c.data.size()), c.sum) << c.data;
}

TEST(ChecksumTest, InetChecksumAccumulatorWrapsOnLargeImages) {
  // 70000 words of 0xFFFF overflow the 32-bit sum: the wrapped value is 1, an
  // exact sum would give 0.
  std::vector<unsigned char> image(140000, 0xFF);
  EXPECT_EQ(cvlm::inetChecksum(image.data(), image.size()), 0x0001);
}

}  // namespace
