// The read-only record tables: loading under the lock protocol, partial
// records, positional and by-name look-ups, GARelation and Schedule specifics.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "server/books/address_table.h"
#include "server/books/ga_relation.h"
#include "server/books/group_table.h"
#include "server/books/schedule_table.h"
#include "server/tests/books_fixture.h"

namespace {

using cvlm::BAddress;
using cvlm::BGroup;
using cvlm::BSchedule;
using cvlm::GA;

class RecordTablesTest : public cvlm_testing::BooksTest {};

BAddress address(const std::string& name, int first) {
  BAddress a;
  formats::setFieldText(a.name, name);
  a.firstValue = first;
  return a;
}

TEST_F(RecordTablesTest, MissingBookLoadsEmptyAndIsNotCreated) {
  cvlm::AddressTable table(sensor);
  EXPECT_EQ(table.size(), 0);
  EXPECT_STREQ(table.bookName(), "Address.10.0.0.5.bk");
  EXPECT_FALSE(platform::fileExists("Address.10.0.0.5.bk"));
  BAddress out = address("keep", 7);
  table.getAt(0, out);
  EXPECT_EQ(formats::fieldText(out.name), "keep");
}

TEST_F(RecordTablesTest, LoadsWholeRecordsInFileOrderAndIgnoresAPartialTail) {
  writeRecords<BAddress>(cvlm::ADDRESS_BOOK, {address("a", 1), address("b", 2)}, std::string(50, 'x'));
  cvlm::AddressTable table(sensor);
  ASSERT_EQ(table.size(), 2);
  BAddress out;
  table.getAt(1, out);
  EXPECT_EQ(formats::fieldText(out.name), "b");
  EXPECT_EQ(out.firstValue, 2);
  for (int missing : {-1, 2, 100}) {
    BAddress untouched;
    table.getAt(missing, untouched);
    EXPECT_EQ(formats::fieldText(untouched.name), "") << missing;
  }
}

TEST_F(RecordTablesTest, IndexOfMatchesWholeNamesExactlyWithinTheField) {
  BAddress full;
  std::memset(full.name, 'h', sizeof full.name);  // no terminator in the field
  full.firstValue = 0x41414141;                   // would extend an unbounded read
  writeRecords<BAddress>(cvlm::ADDRESS_BOOK, {address("web", 1), address("Mail", 2), full, address("mail", 3)});
  cvlm::AddressTable table(sensor);
  EXPECT_EQ(table.indexOf("web"), 0);
  EXPECT_EQ(table.indexOf("mail"), 3);
  EXPECT_EQ(table.indexOf("MAIL"), -1);
  EXPECT_EQ(table.indexOf("we"), -1);
  EXPECT_EQ(table.indexOf(std::string(96, 'h')), 2);
  EXPECT_EQ(table.indexOf(std::string(96, 'h') + "AAAA"), -1);
}

TEST_F(RecordTablesTest, GARelationCountsWholeEntriesAndRebuildsThemFromTheirNames) {
  GA first("servers", "web");
  first.groupName[20] = 'J';  // junk after the terminator
  GA full;
  std::memset(full.groupName, 'g', sizeof full.groupName);
  std::memset(full.addressName, 'a', sizeof full.addressName);
  writeRecords<GA>(cvlm::GARELATION_BOOK, {first, full}, std::string(2, 'z'));  // 130 bytes
  cvlm::GARelation relation(sensor);
  ASSERT_EQ(relation.count(), 2);
  GA out;
  relation.getAt(0, out);
  EXPECT_EQ(formats::fieldText(out.groupName), "servers");
  EXPECT_EQ(formats::fieldText(out.addressName), "web");
  EXPECT_EQ(out.groupName[20], 0);
  relation.getAt(1, out);
  EXPECT_EQ(formats::fieldText(out.groupName), std::string(31, 'g'));
  EXPECT_EQ(formats::fieldText(out.addressName), std::string(31, 'a'));
  GA untouched("x", "y");
  relation.getAt(2, untouched);
  EXPECT_EQ(formats::fieldText(untouched.groupName), "x");
}

TEST_F(RecordTablesTest, ScheduleLookUpTracesAndIgnoresMinusOne) {
  BSchedule weekly;
  weekly.schedule[0] = 0x0F;
  writeRecords<BSchedule>(cvlm::SCHEDULE_BOOK, {weekly});
  cvlm::ScheduleTable table(sensor);
  BSchedule out;
  ::testing::internal::CaptureStdout();
  table.getAt(-1, out);
  EXPECT_EQ(out.schedule[0], 0xFF);
  table.getAt(0, out);
  EXPECT_EQ(out.schedule[0], 0x0F);
  BSchedule fresh;
  table.getAt(3, fresh);
  EXPECT_EQ(fresh.schedule[0], 0xFF);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "before: 0\nindex: 0\nbefore: 3\n");
}

TEST_F(RecordTablesTest, LoaderWaitsWhileTheLockExistsAndReadsTheNewBook) {
  writeRecords<BGroup>(cvlm::GROUP_BOOK, {BGroup{}});
  const std::string lock = book(cvlm::GROUP_BOOK) + ".lck";
  std::ofstream(lock).close();
  std::atomic<int> loaded{-1};
  std::thread reader([&] { loaded = cvlm::GroupTable(sensor).size(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(loaded.load(), -1);
  writeRecords<BGroup>(cvlm::GROUP_BOOK, {BGroup{}, BGroup{}, BGroup{}});
  ::unlink(lock.c_str());
  reader.join();
  EXPECT_EQ(loaded.load(), 3);
}

}  // namespace
