// Stream XOR and record scrambling.
#include "server/protocol.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

TEST(ProtocolTest, WorkedExampleEncodesAndDecodes) {
  Bytes record = {0x00, 0x00, 'a', 'b', 'c', 0x00};
  cvlm::encodeRecord(record.data(), record.size(), 0x12, 0x34);
  EXPECT_EQ(record, (Bytes{0x12, 0x34, 0x72, 0x01, 0x26, 0x21}));
  ASSERT_EQ(cvlm::decodeRecord(record.data(), record.size()), 1);
  EXPECT_EQ(record, (Bytes{0x12, 0x34, 0x61, 0x62, 0x63, 0x21}));
}

TEST(ProtocolTest, OnlyTheSumIsChecked) {
  // Never encoded, but sums to 0: accepted and "decoded" to other bytes.
  Bytes forged = {0x01, 0x02, 0x03, 0x04, 0xf6};
  ASSERT_EQ(cvlm::decodeRecord(forged.data(), forged.size()), 1);
  EXPECT_NE(forged, (Bytes{0x01, 0x02, 0x03, 0x04, 0xf6}));

  Bytes bad = {0x12, 0x34, 0x72, 0x01, 0x26, 0x22};
  EXPECT_EQ(cvlm::decodeRecord(bad.data(), bad.size()), 0);
  EXPECT_EQ(bad, (Bytes{0x12, 0x34, 0x72, 0x01, 0x26, 0x22}));
}

TEST(ProtocolTest, ThreeByteRecordHasOnlySaltAndCheckByte) {
  Bytes record = {0, 0, 0};
  cvlm::encodeRecord(record.data(), 3, 0x10, 0x20);
  EXPECT_EQ(record, (Bytes{0x10, 0x20, 0xd0}));
  ASSERT_EQ(cvlm::decodeRecord(record.data(), 3), 1);
  EXPECT_EQ(record, (Bytes{0x10, 0x20, 0xd0}));
}

TEST(ProtocolTest, TwoEncodingsDifferAndDecodeEqual) {
  Bytes plain(260);
  for (std::size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<unsigned char>(i * 7);
  Bytes a = plain, b = plain;
  cvlm::encodeRecord(a.data(), a.size());
  cvlm::encodeRecord(b.data(), b.size());
  EXPECT_NE(a, b);
  ASSERT_EQ(cvlm::decodeRecord(a.data(), a.size()), 1);
  ASSERT_EQ(cvlm::decodeRecord(b.data(), b.size()), 1);
  EXPECT_TRUE(std::equal(a.begin() + 2, a.end() - 1, plain.begin() + 2));
  EXPECT_TRUE(std::equal(b.begin() + 2, b.end() - 1, plain.begin() + 2));
}

// Every connection runs on a thread of its own: the salts vary from one
// connection to the next too.
TEST(ProtocolTest, FirstSaltsOfAThousandThreadsAllDiffer) {
  std::vector<std::uint16_t> salts(1000);
  for (auto& salt : salts) {
    std::thread([&salt] {
      Bytes record(8);
      cvlm::encodeRecord(record.data(), record.size());
      salt = static_cast<std::uint16_t>(record[0] << 8 | record[1]);
    }).join();
  }
  std::sort(salts.begin(), salts.end());
  EXPECT_EQ(std::adjacent_find(salts.begin(), salts.end()), salts.end());
}

TEST(ProtocolTest, StreamXorUsesTheKeyCyclicallyAndIsItsOwnInverse) {
  unsigned char data[20];
  for (int i = 0; i < 20; ++i) data[i] = static_cast<unsigned char>(i);
  cvlm::xorUiStream(data, 20);
  EXPECT_EQ(data[0], '7');
  EXPECT_EQ(data[8], '4' ^ 8);
  EXPECT_EQ(data[9], '7' ^ 9);
  cvlm::xorUiStream(data, 20);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(data[i], i);
}

}  // namespace
