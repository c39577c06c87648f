// File helpers: the Internet checksum with its wrapping accumulator, byte
// comparison, file size and removal.
#include "server/file_helpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform_testing/temp_dir.h"

namespace {

TEST(FileHelpersTest, InetChecksumOfKnownBuffers) {
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

TEST(FileHelpersTest, InetChecksumAccumulatorWrapsOnLargeImages) {
  // 70000 words of 0xFFFF overflow the 32-bit sum: the wrapped value is 1, an
  // exact sum would give 0.
  std::vector<unsigned char> image(140000, 0xFF);
  EXPECT_EQ(cvlm::inetChecksum(image.data(), image.size()), 0x0001);
}

TEST(FileHelpersTest, BytesEqualComparesOnlyTheFirstNBytes) {
  EXPECT_TRUE(cvlm::bytesEqual("abcX", "abcY", 3));
  EXPECT_FALSE(cvlm::bytesEqual("abcX", "abcY", 4));
  EXPECT_TRUE(cvlm::bytesEqual("a", "b", 0));
  EXPECT_TRUE(cvlm::bytesEqual("a", "b", -5));
}

TEST(FileHelpersTest, FileSizeKeepsThePositionAndRemoveFileReportsSuccess) {
  platform_testing::TempDir dir;
  std::string name = dir.file("f");
  ASSERT_TRUE(platform::writeFileAtomic(name, "0123456789"));
  std::FILE* f = std::fopen(name.c_str(), "rb");
  ASSERT_NE(f, nullptr);
  std::fseek(f, 4, SEEK_SET);
  EXPECT_EQ(cvlm::fileSize(f), 10);
  EXPECT_EQ(std::ftell(f), 4);
  std::fclose(f);
  EXPECT_TRUE(cvlm::removeFile(name));
  EXPECT_FALSE(cvlm::removeFile(name));
}

}  // namespace
