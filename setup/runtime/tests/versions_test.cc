// Version and date checks on generated PE fixtures and dated files.
#include "files/versions.h"

#include <string>

#include "files/file_utils.h"
#include "log/log_sink.h"
#include "runtime_test.h"
#include "win_testing/pe_image.h"

namespace {

using merl::WORD;
using win::HANDLE;
using win_testing::PeVersion;

class VersionsTest : public merl_testing::RuntimeTest {
 protected:
  void put(const char* name, const PeVersion& v) { machine().makeFile(std::string("APP/") + name, win_testing::peImage(v)); }
  void dated(const char* name, WORD date, WORD time) {
    machine().makeFile(std::string("APP/") + name, "data");
    HANDLE f = merl::OpenFileHandle((std::string("C:\\APP\\") + name).c_str(), merl::kOpenReadWrite, false);
    ASSERT_NE(f, win::INVALID_HANDLE_VALUE);
    EXPECT_TRUE(merl::SetFileDosDateTime(f, date, time));
    win::CloseHandle(f);
  }
};

TEST_F(VersionsTest, ReadsRecordsAndTellsPeFiles) {
  put("A.DLL", {0x00040000, 1, 0x40004, 2, 3, {0x04B00407}});
  put("B.DLL", {0x00040000, 1, 0x40004, 2, 0, {}});
  machine().makeFile("APP/TEXT.TXT", "MZ not a program");
  merl::VersionRecord r;
  ASSERT_EQ(merl::ReadFileVersion("C:\\APP\\A.DLL", r), 0);
  EXPECT_EQ(r.versionHigh, 0x00040000u);
  EXPECT_EQ(r.versionLow, 1u);
  EXPECT_EQ(r.fileOs, 0x40004u);
  EXPECT_EQ(r.fileType, 2u);
  EXPECT_EQ(r.fileSubtype, 3u);
  EXPECT_EQ(r.translation, 0x04B00407u);
  EXPECT_EQ(r.isPe, 1u);
  ASSERT_EQ(merl::ReadFileVersion("C:\\APP\\B.DLL", r), 0);
  EXPECT_EQ(r.translation, merl::kDefaultTranslation);
  EXPECT_EQ(merl::ReadFileVersion("C:\\APP\\TEXT.TXT", r), 1);
  EXPECT_EQ(merl::ReadFileVersion("C:\\APP\\NONE.DLL", r), 1);
  EXPECT_TRUE(merl::IsPeFile("C:\\APP\\A.DLL"));
  EXPECT_FALSE(merl::IsPeFile("C:\\APP\\TEXT.TXT"));
  EXPECT_FALSE(merl::IsPeFile("C:\\APP\\NONE.DLL"));
}

TEST_F(VersionsTest, ComparesVersionsTypesAndSubtypes) {
  struct Case {
    PeVersion existing, fresh;
    int result;
  } cases[] = {
      {{0x00040000, 1}, {0x00040000, 1}, 0},
      {{0x00040000, 1}, {0x00040000, 2}, 1},
      {{0x00040000, 2}, {0x00040000, 1}, 0},
      {{0x00040000, 1}, {0x00050000, 0}, 1},
      {{0x00040000, 1, 0x40004, 2}, {0x00040000, 2, 0x40004, 3}, 0},
      {{0x00040000, 1, 0x40004, 2, 0}, {0x00040000, 2, 0x40004, 2, 1}, 0},
      {{0x80000000, 0}, {0x7FFFFFFF, 0}, 0},
      {{0x00040000, 1, 0x40004, 2, 0, {0x0409}}, {0x00040000, 2, 0x4, 2, 0, {0x0407}}, 1},
  };
  for (const Case& c : cases) {
    put("OLD.DLL", c.existing);
    put("NEW.DLL", c.fresh);
    EXPECT_EQ(merl::CompareFileVersions("C:\\APP\\NEW.DLL", "C:\\APP\\OLD.DLL", nullptr), c.result)
        << std::hex << c.existing.versionHigh << "." << c.existing.versionLow << " vs " << c.fresh.versionHigh << "."
        << c.fresh.versionLow;
  }
  machine().makeFile("APP/PLAIN.DLL", "no version");
  EXPECT_EQ(merl::CompareFileVersions("C:\\APP\\NEW.DLL", "C:\\APP\\PLAIN.DLL", nullptr), 1);
  EXPECT_EQ(merl::CompareFileVersions("C:\\APP\\PLAIN.DLL", "C:\\APP\\OLD.DLL", nullptr), 1);
  // A record given for the new file takes the existing file's PE field.
  merl::VersionRecord record{0x00040000, 2, 0, 2, 0, 0, 0};
  put("OLD.DLL", {0x00040000, 1});
  EXPECT_EQ(merl::CompareFileVersions(nullptr, "C:\\APP\\OLD.DLL", &record), 1);
  record.versionLow = 1;
  EXPECT_EQ(merl::CompareFileVersions(nullptr, "C:\\APP\\OLD.DLL", &record), 0);
}

TEST_F(VersionsTest, DateCheckKeepsOlderAndLogsIt) {
  std::string log;
  merl::setLogLineWriter([&](std::string_view t) { (log += t) += "\r\n"; });
  const WORD date = 0x2E59, time = 0x7000;
  dated("X.DLL", date, time);
  dated("OUT.DLL", date + 1, time);
  struct Case {
    merl::FileDateRecord record;
    bool downloaded, shared;
    const char* fresh;
    bool kept;
    const char* log;
  } cases[] = {
      {{0, WORD(date + 1), 0}, false, false, nullptr, false, ""},
      {{0, date, WORD(time + 1)}, false, false, nullptr, false, ""},
      {{0x08, date, time}, false, false, nullptr, false, ""},
      {{0x10, date, time}, false, false, nullptr, true,
       "Date/Time: Following file not copied.\r\n File Copy: C:\\APP\\X.DLL\r\n"},
      {{0, WORD(date - 1), 0xFFFF}, false, true, nullptr, true, "Date/Time: Following file not copied.\r\n"},
      {{0x04, date, time}, false, false, nullptr, true, ""},
      {{0x00, 0, 0}, true, false, nullptr, false, ""},
      {{0x40, 0, 0}, false, false, "C:\\APP\\OUT.DLL", false, ""},
      {{0x40, 0, 0}, false, false, "C:\\APP\\NONE.DLL", false, ""},
  };
  for (const Case& c : cases) {
    log.clear();
    EXPECT_EQ(merl::CheckFileDate("C:\\APP\\X.DLL", c.fresh, c.record, c.downloaded, c.shared), c.kept)
        << int(c.record.flagsA) << " " << c.record.date;
    EXPECT_EQ(log, c.log);
  }
  EXPECT_FALSE(merl::CheckFileDate("C:\\APP\\MISSING.DLL", nullptr, {0, 0, 0}, false, false));
  merl::setLogLineWriter({});
}

}  // namespace
