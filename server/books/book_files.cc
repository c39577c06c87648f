// Book names and record sizes by book type.
#include "server/books/book_files.h"

#include <cstdio>

#include "platform/net.h"
#include "server/books/records.h"

namespace cvlm {

namespace {
struct BookKind {
  const char* format;
  int recordSize;
};

const BookKind* bookKind(int bookType) {
  static const BookKind kinds[] = {
      {"Service.%s.bk", sizeof(BService)},   {"Address.%s.bk", sizeof(BAddress)}, {"Group.%s.bk", sizeof(BGroup)},
      {"Schedule.%s.bk", sizeof(BSchedule)}, {"Rule.%s.bk", sizeof(BRule)},       {"GARelation.%s.bk", sizeof(GA)},
      {"WHITLIST.%s.bk", kWhitlistRecordSize},
  };
  if (bookType < SERVICE_BOOK || bookType > WHITLIST_BOOK) return nullptr;
  return &kinds[bookType - SERVICE_BOOK];
}
}  // namespace

int bookRecordSize(int bookType) {
  const BookKind* kind = bookKind(bookType);
  return kind ? kind->recordSize : 0;
}

int backupFileName(int bookType, char (&name)[kBookNameSize], std::uint32_t sensorAddress) {
  const BookKind* kind = bookKind(bookType);
  if (!kind) {
    std::snprintf(name, sizeof name, "0");
    return 0;
  }
  std::snprintf(name, sizeof name, kind->format, platform::dottedAddress(sensorAddress).c_str());
  return kind->recordSize;
}

std::string bookFileName(int bookType, std::uint32_t sensorAddress) {
  char name[kBookNameSize];
  backupFileName(bookType, name, sensorAddress);
  return name;
}

}  // namespace cvlm
