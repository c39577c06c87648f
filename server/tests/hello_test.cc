// Layout of the hello result and its trailer.
#include "server/requests/hello.h"

#include <gtest/gtest.h>

#include "formats/byte_order.h"

namespace {

TEST(HelloLayoutTest, CountsDescribeExactlyWhatTheTrailerCarries) {
  cvlm::HelloContents contents;
  contents.hostRecords = std::string(40 * 172 + 5, 'h');  // more than 32, and a partial record
  contents.mailEntries = std::string(70 * 64, 'm');       // more than 64
  std::memcpy(contents.mailServer, "smtp.example", 12);
  std::memset(contents.sender, 's', 32);  // a full field, no terminator
  contents.options[3] = 9;
  cvlm::MgrRequestResult result{};
  cvlm::fillHelloResult("2.1", contents, result);
  EXPECT_EQ(formats::getInt32(&result, 4), 1);
  EXPECT_EQ(formats::getText(&result, 8, 136), "<V>2.1</V> Welcome!\n");
  EXPECT_EQ(formats::getInt32(&result, 144), 32);
  EXPECT_EQ(formats::getInt32(&result, 148), 64);
  EXPECT_EQ(formats::getText(&result, 152, 32), "smtp.example");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(result.bytes()) + 184, 32), std::string(32, 's'));
  EXPECT_EQ(result.bytes()[251], 9);
  EXPECT_EQ(formats::getInt32(&result, 252), 9600);
  std::string trailer = cvlm::helloTrailer(contents);
  EXPECT_EQ(trailer, std::string(32 * 172, 'h') + std::string(64 * 64, 'm'));

  contents.hostRecords = std::string(2 * 172 + 171, 'h');
  contents.mailEntries.clear();
  cvlm::MgrRequestResult small{};
  cvlm::fillHelloResult("V0.0", contents, small);
  EXPECT_EQ(formats::getInt32(&small, 144), 2);
  EXPECT_EQ(formats::getInt32(&small, 148), 0);
  EXPECT_EQ(formats::getInt32(&small, 252), 344);
  EXPECT_EQ(cvlm::helloTrailer(contents).size(), 344u);
}

}  // namespace
