// Service table: the default services from ".service.bk.default", their
// field conversions, cut texts and clamped numbers, and add and save results.
#include "server/books/service_table.h"

#include <gtest/gtest.h>

#include "formats/byte_order.h"
#include "server/tests/books_fixture.h"

namespace {

class ServiceTableTest : public cvlm_testing::BooksTest {
 protected:
  void writeDefaults(const std::string& text) { ASSERT_TRUE(platform::writeFileAtomic(".service.bk.default", text)); }
  std::string serviceBook() { return fileBytes(book(cvlm::SERVICE_BOOK)); }
};

TEST_F(ServiceTableTest, OneLineGivesItsServiceRecord) {
  writeDefaults("www,6,80,80,1,0,0,0,0,0,note\n");
  cvlm::ServiceTable table(sensor);
  EXPECT_EQ(table.size(), 1);
  std::string expected(84, '\0');
  formats::putText(expected.data(), 0, 32, "www");
  formats::putInt32(expected.data(), 32, 80);
  formats::putInt32(expected.data(), 36, 80);
  formats::putText(expected.data(), 40, 32, "note\n");
  expected[76] = 6;
  expected[77] = 1;
  EXPECT_EQ(serviceBook(), expected);
  EXPECT_EQ(countLog("ServiceTable::createDefaultService()"), 1);
}

TEST_F(ServiceTableTest, FieldsLandInTheirPlacesAndEmptyFieldsTakeNoPosition) {
  writeDefaults("dns,,17,53,,54,2,3,4,5,6,7,resolver,extra\nftp,6,21\n\n");
  cvlm::ServiceTable table(sensor);
  ASSERT_EQ(table.size(), 2);
  const cvlm::BService& dns = table.records()[0];
  EXPECT_EQ(formats::fieldText(dns.name), "dns");
  EXPECT_EQ(dns.value4, 17);
  EXPECT_EQ(dns.value1, 53);
  EXPECT_EQ(dns.value2, 54);
  EXPECT_EQ(dns.value5, 2);
  EXPECT_EQ(dns.value3, 3);
  EXPECT_EQ(std::vector<int>(dns.values6to9, dns.values6to9 + 4), (std::vector<int>{4, 5, 6, 7}));
  EXPECT_EQ(formats::fieldText(dns.comment), "resolver");
  const cvlm::BService& ftp = table.records()[1];  // missing fields stay zero
  EXPECT_EQ(formats::fieldText(ftp.name), "ftp");
  EXPECT_EQ(ftp.value1, 21);
  EXPECT_EQ(ftp.value2, 0);
  EXPECT_EQ(formats::fieldText(ftp.comment), "");
}

TEST_F(ServiceTableTest, RepeatedLineGivesOneRecordAndASecondLoadAddsNothing) {
  writeDefaults("www,6,80,80,1,0,0,0,0,0,note\nwww,6,80,80,1,0,0,0,0,0,note\n");
  { cvlm::ServiceTable table(sensor); }
  std::string first = serviceBook();
  EXPECT_EQ(first.size(), 84u);
  cvlm::ServiceTable again(sensor);
  EXPECT_EQ(again.size(), 1);
  EXPECT_EQ(serviceBook(), first);
  EXPECT_EQ(countLog("ServiceTable::createDefaultService()"), 1);
  EXPECT_EQ(again.add(again.records()[0]), cvlm::kAddAlreadyThere);
  EXPECT_EQ(again.add(cvlm::BService{}), cvlm::kAddAppended);
  EXPECT_EQ(again.size(), 2);
  EXPECT_TRUE(onlyBooksAndLogsLeft());
}

TEST_F(ServiceTableTest, CrlfAndLfFilesGiveIdenticalBooks) {
  const std::string lines[] = {"www,6,80,80,1,0,0,0,0,0,web server", "smtp,6,25,25,1,0,0,0,0,0,mail"};
  writeDefaults(lines[0] + "\n" + lines[1] + "\n");
  { cvlm::ServiceTable lf(sensor); }
  const std::uint32_t other = platform::parseAddress("10.0.0.6");
  writeDefaults(lines[0] + "\r\n" + lines[1] + "\r\n");
  { cvlm::ServiceTable crlf(other); }
  EXPECT_EQ(fileBytes(cvlm::bookFileName(cvlm::SERVICE_BOOK, other)), serviceBook());
  EXPECT_EQ(serviceBook().size(), 168u);
}

TEST_F(ServiceTableTest, MissingDefaultsFileLeavesTheBookEmptyAndUnsaved) {
  cvlm::ServiceTable table(sensor);
  EXPECT_EQ(table.size(), 0);
  EXPECT_EQ(countLog("Open file error: .service.bk.default"), 1);
  EXPECT_FALSE(platform::fileExists(book(cvlm::SERVICE_BOOK)));
}

TEST_F(ServiceTableTest, OverLongTextsAreCutAndNumbersClampedWithNeighboursIntact) {
  writeDefaults(std::string(36, 'N') + ",300,99999999999,-99999999999,-1, +12abc,x,256,7,8," + std::string(36, 'C') +
                "\n");
  cvlm::ServiceTable table(sensor);
  ASSERT_EQ(table.size(), 1);
  const cvlm::BService& s = table.records()[0];
  EXPECT_EQ(formats::fieldText(s.name), std::string(31, 'N'));
  EXPECT_EQ(s.value4, 300 & 0xFF);
  EXPECT_EQ(s.value1, INT32_MAX);
  EXPECT_EQ(s.value2, INT32_MIN);
  EXPECT_EQ(s.value5, 0xFF);
  EXPECT_EQ(s.value3, 12);
  EXPECT_EQ(std::vector<int>(s.values6to9, s.values6to9 + 4), (std::vector<int>{0, 0, 7, 8}));
  EXPECT_EQ(formats::fieldText(s.comment), std::string(31, 'C'));
  EXPECT_EQ(s.unused[0] | s.unused[1], 0);
}

TEST_F(ServiceTableTest, ReadsOfAtMost127CharactersAreLinesOfTheirOwn) {
  // 130 characters before the line end: the first read stops after 127.
  writeDefaults(std::string(122, 'L') + ",1,2,3,4\n");
  cvlm::ServiceTable table(sensor);
  ASSERT_EQ(table.size(), 2);
  EXPECT_EQ(table.records()[0].value4, 1);
  EXPECT_EQ(table.records()[0].value1, 2);
  EXPECT_EQ(table.records()[0].value2, 0);  // "3" went to the second read
  EXPECT_EQ(formats::fieldText(table.records()[1].name), "3");
  EXPECT_EQ(table.records()[1].value4, 4);
}

}  // namespace
