// Sensor host database: the record layout, loading ".cvdb", and remove and
// modify written under the lock without ever wiping or rewriting needlessly.
#include "server/cv_db.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/faults.h"
#include "server/tests/log_capture.h"

namespace {

using cvlm::CvDb;
using cvlm::ObjCvHost;

ObjCvHost makeHost(std::uint8_t last, const std::string& name, const std::string& community) {
  ObjCvHost host{};
  host.address[0] = 10;
  host.address[3] = last;
  for (int i = 0; i < 12; ++i) host.sensorId[i] = static_cast<std::uint8_t>(last + i);
  formats::putText(host.name, 0, 32, name);
  formats::putText(host.community, 0, 32, community);
  host.state = 1;
  return host;
}

std::string bytesOf(const std::vector<ObjCvHost>& hosts) {
  return std::string(reinterpret_cast<const char*>(hosts.data()), hosts.size() * sizeof(ObjCvHost));
}

class CvDbTest : public cvlm_testing::LoggedDirTest {
 protected:
  void writeDb(const std::string& bytes) { ASSERT_TRUE(platform::writeFileAtomic(".cvdb", bytes)); }
  std::string readDb() {
    std::string bytes;
    EXPECT_TRUE(platform::readWholeFile(".cvdb", bytes));
    return bytes;
  }
  std::string log() {
    std::string text;
    platform::readWholeFile("LM-LOG.txt", text);
    return text;
  }
  std::uint8_t a1[4] = {10, 0, 0, 1}, a2[4] = {10, 0, 0, 2}, a3[4] = {10, 0, 0, 3}, a9[4] = {10, 0, 0, 9};
};

TEST_F(CvDbTest, MissingFileIsCreatedEmpty) {
  CvDb db;
  EXPECT_TRUE(db.loaded());
  EXPECT_EQ(db.count(), 0);
  EXPECT_EQ(readDb(), "");
}

TEST_F(CvDbTest, LoadsWholeRecordsAndReadingNeverRewritesTheFile) {
  std::string bytes = bytesOf({makeHost(1, "one", "c1"), makeHost(2, "two", "c2")}) + "tail!!";
  ASSERT_EQ(bytes.size(), 350u);
  writeDb(bytes);
  struct stat before{};
  ASSERT_EQ(::stat(".cvdb", &before), 0);
  {
    CvDb db;
    EXPECT_EQ(db.count(), 2);
    std::uint8_t id[12] = {};
    EXPECT_EQ(db.getCvId(a2, id), 1);
    EXPECT_EQ(id[0], 2);
    std::uint8_t untouched[12] = {7};
    EXPECT_EQ(db.getCvId(a9, untouched), 3);
    EXPECT_EQ(untouched[0], 7);
    EXPECT_EQ(db.remove(a9), 3);
    EXPECT_EQ(db.modify(a1, "wrong", "n", a1, "c", "t1", "t2", 1, 2, 3, 1), 4);
  }
  struct stat after{};
  ASSERT_EQ(::stat(".cvdb", &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(readDb(), bytes);
  EXPECT_NE(log().find("Get Corvane ID: 10.0.0.2\n[ "), std::string::npos);
  EXPECT_NE(log().find(" ] \t2:3:4:5:6:7:8:9:a:b:c:d\n\n"), std::string::npos);
}

// The partial record at the end goes with the first change.
TEST_F(CvDbTest, RemovingTheFirstHostKeepsTheOthersInOrder) {
  writeDb(bytesOf({makeHost(1, "one", "c"), makeHost(2, "two", "c"), makeHost(3, "three", "c")}) + "tail!!");
  CvDb db;
  EXPECT_EQ(db.remove(a1), 1);
  EXPECT_EQ(db.count(), 2);
  EXPECT_EQ(readDb(), bytesOf({makeHost(2, "two", "c"), makeHost(3, "three", "c")}));
  EXPECT_FALSE(platform::fileExists(".cvdb.lck"));
  EXPECT_NE(log().find("Del Corvane: 10.0.0.1\n"), std::string::npos);
}

TEST_F(CvDbTest, ModifyChangesTheEntryOnlyWithTheRightCommunityAndAFreeAddress) {
  std::vector<ObjCvHost> start = {makeHost(1, "one", "secret"), makeHost(2, "two", "other")};
  start[0].reserved2[1] = 0x55;
  writeDb(bytesOf(start));
  CvDb db;
  struct Case {
    const std::uint8_t* oldAddress;
    const char* community;
    const std::uint8_t* newAddress;
    int result;
  };
  for (const Case& c : {Case{a9, "secret", a3, 3}, Case{a1, "secre", a3, 4}, Case{a1, "secret", a2, 2}}) {
    EXPECT_EQ(db.modify(c.oldAddress, c.community, "new", c.newAddress, "nc", "x", "y", 4, 5, 6, 9), c.result);
    EXPECT_EQ(readDb(), bytesOf(start)) << "result " << c.result;
  }

  EXPECT_EQ(db.modify(a1, "secret", "renamed", a1, "newcomm", "first", "second", 4, 5, 6, 9), 1);
  ObjCvHost changed = start[0];
  std::memset(changed.reserved2, 0, 3);
  formats::putText(changed.name, 0, 32, "renamed");
  formats::putText(changed.community, 0, 32, "newcomm");
  formats::putText(changed.text1, 0, 32, "first");
  formats::putText(changed.text2, 0, 32, "second");
  changed.number1 = 4;
  changed.number2 = 5;
  changed.number3 = 6;
  changed.state = 9;
  EXPECT_EQ(readDb(), bytesOf({changed, start[1]}));

  EXPECT_EQ(db.modify(a1, "newcomm", "renamed", a3, "newcomm", "first", "second", 4, 5, 6, 9), 1);
  std::memcpy(changed.address, a3, 4);
  EXPECT_EQ(readDb(), bytesOf({changed, start[1]}));
  EXPECT_NE(log().find("Modify Corvane: 10.0.0.1\n"), std::string::npos);
}

TEST_F(CvDbTest, LongTextsAreCutAndCommunitiesComparedWithinTheirFields) {
  writeDb(bytesOf({makeHost(1, "one", std::string(31, 'c'))}));
  CvDb db;
  // 32-byte request fields without a terminator.
  char longCommunity[32], longName[32];
  std::memset(longCommunity, 'c', 32);
  std::memset(longName, 'n', 32);
  EXPECT_EQ(db.modify(a1, longCommunity, longName, a1, longCommunity, longName, longName, 0, 0, 0, 1), 1);
  std::string bytes = readDb();
  ASSERT_EQ(bytes.size(), 172u);
  for (std::size_t offset : {28u, 60u, 92u, 124u}) {
    EXPECT_EQ(formats::getText(bytes.data(), offset, 32), std::string(31, offset == 60 ? 'c' : 'n'));
    EXPECT_EQ(bytes[offset + 31], '\0');
  }
}

TEST_F(CvDbTest, MoreThanThirtyTwoRecordsLoadAndCopyWithinTheBuffer) {
  std::vector<ObjCvHost> hosts;
  for (int i = 0; i < 40; ++i) hosts.push_back(makeHost(static_cast<std::uint8_t>(i + 1), "h", "c"));
  writeDb(bytesOf(hosts));
  CvDb db;
  ASSERT_EQ(db.count(), 40);
  std::vector<char> all(db.count() * 172);
  EXPECT_EQ(db.copyAll(all.data(), all.size()), 40);
  EXPECT_EQ(std::string(all.begin(), all.end()), bytesOf(hosts));
  std::vector<char> small(5 * 172 + 100, 'z');
  EXPECT_EQ(db.copyAll(small.data(), small.size()), 5);
  EXPECT_EQ(small.back(), 'z');
}

TEST_F(CvDbTest, UnreadableFileIsNeverWipedByAChange) {
  ASSERT_EQ(::mkdir(".cvdb", 0755), 0);
  {
    std::ofstream(".cvdb/keep").put('x');
    CvDb db;
    EXPECT_FALSE(db.loaded());
    EXPECT_EQ(db.count(), 0);
    EXPECT_EQ(db.remove(a1), cvlm::kCvDbFileError);
    EXPECT_EQ(db.modify(a1, "c", "n", a1, "c", "t", "t", 0, 0, 0, 1), cvlm::kCvDbFileError);
    ObjCvHost host = makeHost(1, "one", "c");
    EXPECT_EQ(db.add(host), cvlm::kCvDbFileError);
  }
  EXPECT_TRUE(platform::fileExists(".cvdb/keep"));
  EXPECT_FALSE(platform::fileExists(".cvdb.lck"));
}

TEST_F(CvDbTest, FailedSaveReportsAnErrorAndKeepsTheFile) {
  std::string bytes = bytesOf({makeHost(1, "one", "c"), makeHost(2, "two", "c")});
  writeDb(bytes);
  CvDb db;
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, ".cvdb", 1);
  EXPECT_EQ(db.remove(a1), cvlm::kCvDbFileError);
  EXPECT_EQ(readDb(), bytes);
  EXPECT_EQ(db.count(), 2);
  EXPECT_FALSE(platform::fileExists(".cvdb.lck"));
  EXPECT_FALSE(platform::fileExists(".cvdb.tmp"));
  EXPECT_EQ(log().find("Del Corvane"), std::string::npos);
}

TEST_F(CvDbTest, AChangeStartsFromTheFileAsItIsNow) {
  writeDb(bytesOf({makeHost(1, "one", "c"), makeHost(2, "two", "c")}));
  CvDb first;
  CvDb second;
  EXPECT_EQ(first.remove(a1), 1);
  EXPECT_EQ(second.remove(a2), 1);
  EXPECT_EQ(readDb(), "");
  EXPECT_EQ(second.remove(a1), 3);
}

TEST_F(CvDbTest, AChangeWaitsForAnotherWriterAndKeepsItsWork) {
  writeDb(bytesOf({makeHost(1, "one", "c")}));
  CvDb db;
  std::ofstream(".cvdb.lck").close();
  std::atomic<int> result{0};
  std::thread remover([&] { result = db.remove(a1); });
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  EXPECT_EQ(result.load(), 0);
  // The other writer adds a host, then releases its lock.
  writeDb(bytesOf({makeHost(1, "one", "c"), makeHost(2, "two", "c")}));
  ::unlink(".cvdb.lck");
  remover.join();
  EXPECT_EQ(result.load(), 1);
  EXPECT_EQ(readDb(), bytesOf({makeHost(2, "two", "c")}));
}

}  // namespace

#include "server/tests/support/fake_sensor.h"

namespace {

ObjCvHost hostAt(const cvlm_testing::FakeSensor& sensor, const std::string& name) {
  ObjCvHost host = makeHost(0, name, "c");
  std::uint32_t address = sensor.addressValue();
  std::memcpy(host.address, &address, sizeof host.address);
  return host;
}

TEST_F(CvDbTest, AddsThatRaceAtTheLimitNeverGoPastIt) {
  std::vector<ObjCvHost> hosts;
  for (int i = 0; i < cvlm::kMaxCvHosts - 1; ++i) hosts.push_back(makeHost(static_cast<std::uint8_t>(i + 1), "h", "c"));
  writeDb(bytesOf(hosts));
  cvlm_testing::FakeSensor sensorA, sensorB;
  ASSERT_TRUE(sensorA.listening() && sensorB.listening());
  CvDb first, second;  // both loaded 31 hosts
  ObjCvHost a = hostAt(sensorA, "a"), b = hostAt(sensorB, "b");
  EXPECT_EQ(first.add(a), 1);
  EXPECT_EQ(second.add(b), cvlm::kCvDbFull);
  CvDb third;
  EXPECT_EQ(third.count(), cvlm::kMaxCvHosts);
  EXPECT_FALSE(platform::fileExists(".cvdb.lck"));
}

}  // namespace
