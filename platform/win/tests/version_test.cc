// The version library: blocks read from generated PE images, malformed
// images giving no version information, and VerFindFile / VerInstallFile on
// the machine's files.
#include "win/version.h"

#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/faults.h"
#include "win/files.h"
#include "win_testing/pe_image.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::PeVersion;
using win_testing::TestMachine;

struct Read {
  bool ok = false;
  win::VS_FIXEDFILEINFO fixed{};
  std::vector<std::uint32_t> translations;
};

Read readVersion(const char* path) {
  Read r;
  win::DWORD size = win::GetFileVersionInfoSize(path, nullptr);
  if (size == 0) return r;
  std::vector<std::uint8_t> block(size);
  void* value = nullptr;
  win::UINT len = 0;
  if (!win::GetFileVersionInfo(path, 0, size, block.data()) || !win::VerQueryValue(block.data(), "\\", &value, &len))
    return r;
  r.ok = true;
  std::memcpy(&r.fixed, value, sizeof r.fixed);
  if (win::VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &value, &len))
    for (win::UINT i = 0; i + 4 <= len; i += 4) {
      std::uint32_t t;
      std::memcpy(&t, static_cast<char*>(value) + i, 4);
      r.translations.push_back(t);
    }
  return r;
}

TEST(VersionTest, ReadsTheFixedInformationAndTranslations) {
  TestMachine m;
  PeVersion v{0x00050001, 0x00020003, 0x40004, 3, 7, {0x04B00409, 0x04E40407}};
  m.makeFile("APP/A.DLL", win_testing::peImage(v));
  Read r = readVersion("C:\\APP\\A.DLL");
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.fixed.dwFileVersionMS, 0x00050001u);
  EXPECT_EQ(r.fixed.dwFileVersionLS, 0x00020003u);
  EXPECT_EQ(r.fixed.dwFileType, 3u);
  EXPECT_EQ(r.fixed.dwFileSubtype, 7u);
  EXPECT_EQ(r.translations, (std::vector<std::uint32_t>{0x04B00409, 0x04E40407}));

  m.makeFile("APP/B.DLL", win_testing::peImage(PeVersion{}));
  Read plain = readVersion("C:\\APP\\B.DLL");
  ASSERT_TRUE(plain.ok);
  EXPECT_TRUE(plain.translations.empty());
}

TEST(VersionTest, MalformedImagesHaveNoVersionInformation) {
  TestMachine m;
  const std::string good = win_testing::peImage(PeVersion{});
  PeVersion none;
  none.withVersion = false;
  auto patched = [&](std::size_t at, char byte) {
    std::string s = good;
    s[at] = byte;
    return s;
  };
  const std::string cases[] = {
      "",
      "MZ",
      std::string(4096, 'x'),
      good.substr(0, 0x50),         // cut inside the PE header
      good.substr(0, 0x210),        // cut inside the resource tree
      good.substr(0, good.size() - 8),  // cut inside the block
      patched(60, '\x7f'),          // PE offset past the end
      patched(0x40, 'Q'),           // no "PE" signature
      patched(0x200 + 20, '\x00'),  // type entry points at the root again: a cycle
      win_testing::peImage(none),
  };
  for (const std::string& c : cases) {
    m.makeFile("APP/BAD.DLL", c);
    EXPECT_EQ(win::GetFileVersionInfoSize("C:\\APP\\BAD.DLL", nullptr), 0u) << c.size();
    EXPECT_FALSE(readVersion("C:\\APP\\BAD.DLL").ok);
  }
  EXPECT_EQ(win::GetFileVersionInfoSize("C:\\APP\\MISSING.DLL", nullptr), 0u);
}

TEST(VersionTest, AnInjectedReadErrorReadsNothing) {
  TestMachine m;
  m.makeFile("APP/A.DLL", win_testing::peImage(PeVersion{}));
  platform::addFault({platform::FaultOp::ReadError, "*A.DLL", 1, 0, true});
  EXPECT_EQ(win::GetFileVersionInfoSize("C:\\APP\\A.DLL", nullptr), 0u);
  EXPECT_TRUE(readVersion("C:\\APP\\A.DLL").ok);
  platform::clearFaults();
}

TEST(VersionTest, QueriesStayInsideTheBlock) {
  std::string block = win_testing::versionBlock(PeVersion{1, 2, 4, 2, 0, {0x04E40409}});
  const std::uint8_t* value = nullptr;
  std::size_t size = 0;
  auto data = reinterpret_cast<const std::uint8_t*>(block.data());
  EXPECT_TRUE(win::version::queryValue(data, block.size(), "\\varfileinfo\\TRANSLATION", &value, &size));
  EXPECT_EQ(size, 4u);
  EXPECT_FALSE(win::version::queryValue(data, block.size(), "\\StringFileInfo", &value, &size));
  for (std::size_t cut = 0; cut < block.size(); ++cut) {
    std::string shorter = block.substr(0, cut);
    value = nullptr;
    win::version::queryValue(reinterpret_cast<const std::uint8_t*>(shorter.data()), shorter.size(),
                             "\\VarFileInfo\\Translation", &value, &size);
    if (value) {
      EXPECT_LE(value + size, reinterpret_cast<const std::uint8_t*>(shorter.data()) + shorter.size());
    }
  }
}

TEST(VersionTest, FindFileNamesDestinationAndCurrentDirectories) {
  TestMachine m;
  m.makeFile("WINDOWS/SYSTEM/S.DLL", "x");
  m.makeFile("APP/A.DLL", "x");
  struct Case {
    win::DWORD flags;
    const char* name;
    const char* cur;
    const char* dest;
    win::DWORD result;
  } cases[] = {
      {win::VFFF_ISSHAREDFILE, "S.DLL", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM", 0},
      {0, "S.DLL", "C:\\WINDOWS\\SYSTEM", "C:\\APP", win::VFF_CURNEDEST},
      {0, "A.DLL", "C:\\APP", "C:\\APP", 0},
      {0, "NEW.DLL", "", "C:\\APP", 0},
  };
  for (const Case& c : cases) {
    char cur[260], dest[260];
    win::UINT curLen = sizeof cur, destLen = sizeof dest;
    EXPECT_EQ(win::VerFindFile(c.flags, c.name, "C:\\WINDOWS", "C:\\APP", cur, &curLen, dest, &destLen), c.result)
        << c.name;
    EXPECT_STREQ(cur, c.cur);
    EXPECT_STREQ(dest, c.dest);
  }
  char small[4];
  win::UINT smallLen = sizeof small, curLen = 0;
  EXPECT_TRUE(win::VerFindFile(0, "A.DLL", "C:\\WINDOWS", "C:\\APP", nullptr, &curLen, small, &smallLen) &
              win::VFF_BUFFTOOSMALL);
}

class VersionInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_.makeFile("SRC/FOO.DLL", win_testing::peImage(PeVersion{0x00040000, 1, 0x40004, 2, 0, {0x04E40409}}));
  }
  void TearDown() override { platform::clearFaults(); }
  win::DWORD install(win::DWORD flags, const char* cur = "") {
    tmpLen_ = sizeof tmp_;
    tmp_[0] = '\0';
    return win::VerInstallFile(flags, "FOO.DLL", "FOO.DLL", "C:\\SRC", "C:\\DST", cur, tmp_, &tmpLen_);
  }
  std::string dst(const std::string& name) { return TestMachine::readText(m_.hostC("DST/" + name)); }
  TestMachine m_;
  char tmp_[260];
  win::UINT tmpLen_ = 0;
};

TEST_F(VersionInstallTest, ChecksLeaveTheTemporaryCopyUnlessForced) {
  struct Case {
    PeVersion existing;
    win::DWORD bits;
  } cases[] = {
      {{0x00040000, 2, 0x40004, 2, 0, {0x04E40409}}, win::VIF_SRCOLD},
      {{0x00040000, 1, 0x40004, 2, 0, {0x04E40407}}, win::VIF_DIFFLANG},
      {{0x00030000, 0, 0x40004, 3, 0, {0x04E40409}}, win::VIF_DIFFTYPE},
  };
  for (const Case& c : cases) {
    const std::string old = win_testing::peImage(c.existing);
    m_.makeFile("DST/FOO.DLL", old);
    EXPECT_EQ(install(0), c.bits | win::VIF_MISMATCH | win::VIF_TEMPFILE);
    EXPECT_EQ(dst("FOO.DLL"), old);
    EXPECT_EQ(dst(tmp_), dst("../SRC/FOO.DLL")) << "temporary copy " << tmp_;
    EXPECT_TRUE(win::DeleteFile(("C:\\DST\\" + std::string(tmp_)).c_str()));
    EXPECT_EQ(install(win::VIFF_FORCEINSTALL), 0u);
    EXPECT_EQ(dst("FOO.DLL"), dst("../SRC/FOO.DLL"));
  }
}

TEST_F(VersionInstallTest, RefusedReplacementsKeepTheTemporaryCopy) {
  m_.makeFile("DST/FOO.DLL", "old");
  platform::addFault({platform::FaultOp::Busy, "*\\DST\\FOO.DLL", -1, 0, true});
  EXPECT_EQ(install(0), win::VIF_FILEINUSE | win::VIF_TEMPFILE);
  EXPECT_EQ(dst("FOO.DLL"), "old");
  EXPECT_FALSE(dst(tmp_).empty());
  platform::clearFaults();
  ASSERT_TRUE(win::SetFileAttributes("C:\\DST\\FOO.DLL", win::FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(install(0), win::VIF_WRITEPROT | win::VIF_TEMPFILE);
  EXPECT_EQ(install(0, "C:\\NOWHERE") & win::VIF_TEMPFILE, win::VIF_TEMPFILE);
  EXPECT_EQ(win::VerInstallFile(0, "NONE.DLL", "FOO.DLL", "C:\\SRC", "C:\\DST", "", tmp_, &tmpLen_),
            win::VIF_CANNOTREADSRC);
}

TEST_F(VersionInstallTest, InstallsAndRemovesTheOldCopyUnlessKept) {
  m_.makeFile("DST/keep", "");
  for (win::DWORD flags : {win::DWORD{0}, win::VIFF_DONTDELETEOLD}) {
    m_.makeFile("OLD/FOO.DLL", "old");
    EXPECT_EQ(install(flags, "C:\\OLD"), 0u);
    EXPECT_EQ(dst("FOO.DLL"), dst("../SRC/FOO.DLL"));
    EXPECT_EQ(TestMachine::readText(m_.hostC("OLD/FOO.DLL")), flags ? "old" : "");
  }
}

}  // namespace
