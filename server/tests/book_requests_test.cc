// Book transfer requests against an in-process server: upload and download
// round trips, book type and record size errors, absurd record counts, and
// the defaults written into an empty Service or Rule book.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/faults.h"
#include "platform/net.h"
#include "server/books/book_files.h"
#include "server/books/records.h"
#include "server/protocol.h"
#include "server/tests/leftover_files.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm_testing::makeHeader;
using cvlm_testing::noLockOrTempFiles;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

const std::uint32_t kSensor = platform::parseAddress("10.0.0.5");

cvlm::RqH uploadHeader(std::int32_t type, std::int32_t count, std::int32_t size, bool push = false) {
  return cvlm_testing::uploadBookHeader(type, count, size, kSensor, push);
}

cvlm::RqH downloadHeader(std::int32_t type, std::int32_t size) {
  return cvlm_testing::downloadBookHeader(type, size, kSensor);
}

// Records of a given size whose bytes differ from record to record.
std::vector<std::string> sampleRecords(int n, std::size_t size) {
  std::vector<std::string> records;
  for (int i = 0; i < n; ++i) {
    std::string r(size, '\0');
    for (std::size_t j = 0; j < size; ++j) r[j] = static_cast<char>(i * 31 + j * 7 + 1);
    records.push_back(r);
  }
  return records;
}

std::int32_t upload(TestServer& server, std::int32_t type, const std::vector<std::string>& records,
                    std::int32_t size) {
  TestConsole console(server.port());
  console.sendHeader(uploadHeader(type, static_cast<std::int32_t>(records.size()), size));
  for (const std::string& r : records) console.sendUnit(r);
  auto result = console.receiveResult();
  return result ? resultType(*result) : -1;
}

struct Download {
  std::int32_t type = -1;
  std::int32_t count = -1;
  std::int32_t size = -1;
  std::string bytes;
};

Download download(TestServer& server, std::int32_t type, std::int32_t size) {
  TestConsole console(server.port());
  Download d;
  auto result = console.request(downloadHeader(type, size));
  if (!result) return d;
  d.type = resultType(*result);
  d.count = formats::getInt32(&*result, 8);
  d.size = formats::getInt32(&*result, 12);
  if (d.type == 1) {
    std::string name = cvlm::bookFileName(type, kSensor);
    std::string onDisk;
    platform::readWholeFile(name, onDisk);
    auto unit = console.receiveUnit(onDisk.size());
    if (unit) d.bytes = *unit;
    EXPECT_TRUE(console.closedByServer()) << "more bytes than the book holds";
  }
  return d;
}

TEST(BookRequests, UploadThenDownloadReturnsTheSameBytes) {
  TestServer server;
  const struct {
    std::int32_t type;
    std::int32_t size;
  } books[] = {{cvlm::ADDRESS_BOOK, 116}, {cvlm::GROUP_BOOK, 76}, {cvlm::GARELATION_BOOK, 64},
               {cvlm::WHITLIST_BOOK, 72}, {cvlm::RULE_BOOK, 2500}};
  for (const auto& b : books) {
    std::string name = cvlm::bookFileName(b.type, kSensor);
    ASSERT_FALSE(platform::fileExists(name));  // the first upload makes the book
    auto records = sampleRecords(3, static_cast<std::size_t>(b.size));
    EXPECT_EQ(upload(server, b.type, records, b.size), 1) << name;
    Download d = download(server, b.type, b.size);
    EXPECT_EQ(d.type, 1) << name;
    EXPECT_EQ(d.count, 3) << name;
    EXPECT_EQ(d.size, b.size) << name;
    EXPECT_EQ(d.bytes, records[0] + records[1] + records[2]) << name;
  }
  // A second upload replaces the book whole.
  auto two = sampleRecords(2, 116);
  EXPECT_EQ(upload(server, cvlm::ADDRESS_BOOK, two, 116), 1);
  EXPECT_EQ(download(server, cvlm::ADDRESS_BOOK, 116).bytes, two[0] + two[1]);
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadBook()"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook(), type = 2"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook::entrySize=116, Records=2, file size=232 "));
}

TEST(BookRequests, WrongTypeOrRecordSizeIsAnsweredAfterTheConsoleSentRecords) {
  TestServer server;
  const struct {
    std::int32_t type;
    std::int32_t size;
    std::int32_t expected;
    const char* line;
  } cases[] = {
      {0, 116, 11, "Dispatcher::uploadBook::MRR_TYPE_Book_Type_Error"},
      {8, 116, 11, "Dispatcher::uploadBook::MRR_TYPE_Book_Type_Error"},
      {cvlm::ADDRESS_BOOK, 115, 10, "Dispatcher::uploadBook::MRR_TYPE_RuleSize_Error"},
      {cvlm::RULE_BOOK, 2400, 10, "Dispatcher::uploadBook::MRR_TYPE_RuleSize_Error"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(upload(server, c.type, sampleRecords(3, static_cast<std::size_t>(c.size)), c.size), c.expected)
        << c.type << "/" << c.size;
    EXPECT_TRUE(server.logHasLine(c.line));
  }
  EXPECT_EQ(download(server, 9, 116).type, 11);
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook::MRR_TYPE_Book_Type_Error"));
  EXPECT_EQ(download(server, cvlm::GROUP_BOOK, 116).type, 10);
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook::MRR_TYPE_RuleSize_Error"));
  EXPECT_FALSE(platform::fileExists(cvlm::bookFileName(cvlm::ADDRESS_BOOK, kSensor)));
}

TEST(BookRequests, AbsurdRecordCountIsAnsweredZeroBeforeAnyDataIsRead) {
  TestServer server;
  const std::int32_t counts[] = {-1, INT32_MIN, 1717987 /* x 2500 wraps to 204 in 32 bits */, INT32_MAX};
  for (std::int32_t count : counts) {
    TestConsole console(server.port());
    auto result = console.request(uploadHeader(cvlm::RULE_BOOK, count, 2500));
    ASSERT_TRUE(result) << count;
    EXPECT_EQ(resultType(*result), 0) << count;  // a read would have waited and answered 12
  }
  EXPECT_TRUE(server.logHasLine("dispatcher get exception!!"));
  EXPECT_FALSE(server.logHasLine("Dispatcher::uploadBook::MRR_TYPE_Unknow_Error", 0));
  EXPECT_FALSE(platform::fileExists(cvlm::bookFileName(cvlm::RULE_BOOK, kSensor)));
}

TEST(BookRequests, ShortUploadKeepsTheOldBook) {
  TestServer server(300);
  auto old = sampleRecords(2, 64);
  ASSERT_EQ(upload(server, cvlm::GARELATION_BOOK, old, 64), 1);
  TestConsole console(server.port());
  console.sendHeader(uploadHeader(cvlm::GARELATION_BOOK, 3, 64));
  console.sendUnit(std::string(64, 'a'));
  console.sendUnit(std::string(10, 'b'));  // then silence
  auto result = console.receiveResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 12);
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadBook::MRR_TYPE_Not_Enough_Data_Error"));
  std::string onDisk;
  platform::readWholeFile(cvlm::bookFileName(cvlm::GARELATION_BOOK, kSensor), onDisk);
  EXPECT_EQ(onDisk, old[0] + old[1]);
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
}

TEST(BookRequests, FailedReplaceLeavesTheOldBookAndNoTemporaryFile) {
  TestServer server;
  auto old = sampleRecords(1, 92);
  ASSERT_EQ(upload(server, cvlm::SCHEDULE_BOOK, old, 92), 1);
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, "Schedule.10.0.0.5.bk", 1);
  EXPECT_EQ(upload(server, cvlm::SCHEDULE_BOOK, sampleRecords(2, 92), 92), 13);
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadBook::MRR_TYPE_Openfile_Error"));
  std::string onDisk;
  platform::readWholeFile(cvlm::bookFileName(cvlm::SCHEDULE_BOOK, kSensor), onDisk);
  EXPECT_EQ(onDisk, old[0]);
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
}

TEST(BookRequests, DownloadOfMissingBookCreatesItOrFillsDefaults) {
  TestServer server;
  Download group = download(server, cvlm::GROUP_BOOK, 76);
  EXPECT_EQ(group.type, 1);
  EXPECT_EQ(group.count, 0);
  EXPECT_TRUE(platform::fileExists(cvlm::bookFileName(cvlm::GROUP_BOOK, kSensor)));

  Download rules = download(server, cvlm::RULE_BOOK, 2500);
  EXPECT_EQ(rules.type, 1);
  ASSERT_EQ(rules.count, 8);
  ASSERT_EQ(rules.bytes.size(), 8u * sizeof(cvlm::BRule));
  cvlm::BRule first;
  std::memcpy(&first, rules.bytes.data(), sizeof first);
  EXPECT_EQ(first.id, 0x00100001);
  EXPECT_EQ(formats::fieldText(first.name), "TCP SYN Flooding");
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook::Type=RULE_BOOK"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook::fsize=0"));

  std::ofstream(".service.bk.default") << "www,6,80,80,1,0,0,0,0,0,note\nftp,6,21,21,1,0,0,0,0,0,files\n";
  Download services = download(server, cvlm::SERVICE_BOOK, 84);
  EXPECT_EQ(services.type, 1);
  EXPECT_EQ(services.count, 2);
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadBook::Type=SERVICE_BOOK"));
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
}

TEST(BookRequests, DownloadSendsEveryByteOfABookWithAPartialRecord) {
  TestServer server;
  std::string bytes = sampleRecords(2, 64)[0] + sampleRecords(2, 64)[1] + "tail";
  ASSERT_TRUE(platform::writeFileAtomic(cvlm::bookFileName(cvlm::GARELATION_BOOK, kSensor), bytes));
  Download d = download(server, cvlm::GARELATION_BOOK, 64);
  EXPECT_EQ(d.count, 2);
  EXPECT_EQ(d.bytes, bytes);
}

TEST(BookRequests, EmptyServiceUploadRefillsTheDefaultsOnce) {
  TestServer server;
  std::ofstream(".service.bk.default") << "www,6,80,80,1,0,0,0,0,0,note\n";
  ASSERT_EQ(upload(server, cvlm::SERVICE_BOOK, sampleRecords(3, 84), 84), 1);
  EXPECT_EQ(upload(server, cvlm::SERVICE_BOOK, {}, 84), 1);
  std::string onDisk;
  platform::readWholeFile(cvlm::bookFileName(cvlm::SERVICE_BOOK, kSensor), onDisk);
  ASSERT_EQ(onDisk.size(), 84u);
  EXPECT_EQ(std::string(onDisk.c_str()), "www");
  std::ifstream log("LM-LOG.txt");
  std::string text((std::istreambuf_iterator<char>(log)), {});
  std::size_t n = 0;
  for (std::size_t p = 0; (p = text.find("ServiceTable::createDefaultService()", p)) != std::string::npos; ++p) ++n;
  EXPECT_EQ(n, 1u);

  // An empty upload of another book empties it.
  ASSERT_EQ(upload(server, cvlm::ADDRESS_BOOK, sampleRecords(2, 116), 116), 1);
  EXPECT_EQ(upload(server, cvlm::ADDRESS_BOOK, {}, 116), 1);
  platform::readWholeFile(cvlm::bookFileName(cvlm::ADDRESS_BOOK, kSensor), onDisk);
  EXPECT_TRUE(onDisk.empty());
}

}  // namespace
