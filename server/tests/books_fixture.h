// Fixture for the book tables: a logged temporary working directory in UTC,
// one sensor address, and helpers that write and read raw book files.
#pragma once

#include <time.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/net.h"
#include "server/books/book_files.h"
#include "server/tests/log_capture.h"

namespace cvlm_testing {

class BooksTest : public LoggedDirTest {
 protected:
  void SetUp() override {
    LoggedDirTest::SetUp();
    ::tzset();
  }
  std::string book(int type) const { return cvlm::bookFileName(type, sensor); }

  template <class Record>
  void writeRecords(int type, const std::vector<Record>& records, const std::string& tail = "") {
    std::string bytes(reinterpret_cast<const char*>(records.data()), records.size() * sizeof(Record));
    ASSERT_TRUE(platform::writeFileAtomic(book(type), bytes + tail));
  }
  std::string fileBytes(const std::string& name) const {
    std::string out;
    platform::readWholeFile(name, out);
    return out;
  }
  // No lock file or temporary file is left beside the books.
  bool onlyBooksAndLogsLeft() const {
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
      std::string n = e.path().filename().string();
      if (n.ends_with(".lck") || n.ends_with(".tmp")) return false;
    }
    return true;
  }

  platform_testing::ScopedEnv tz{"TZ", "UTC"};
  const std::uint32_t sensor = platform::parseAddress("10.0.0.5");
};

}  // namespace cvlm_testing
