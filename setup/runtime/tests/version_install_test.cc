// The version installer driven for one file: where it goes, a PE file into a
// missing destination through a side name, and what a refusal leaves.
#include "files/version_install.h"

#include <string>

#include "files/file_utils.h"
#include "runtime_test.h"
#include "win/version.h"
#include "win_testing/pe_image.h"

namespace {

using win_testing::PeVersion;

class VersionInstallTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override { machine().makeFile("SRC/FOO.DLL", fresh_); }
  // Installs C:\SRC\FOO.DLL into destDir as FOO.DLL.
  win::DWORD install(bool isPe, const char* destDir = "C:\\WINDOWS\\SYSTEM") {
    temp_[0] = '\0';
    tempLength_ = sizeof temp_;
    return merl::InstallFileVersion(isPe, 0, "FOO.DLL", "FOO.DLL", "C:\\SRC", destDir, "", temp_, &tempLength_);
  }
  std::string host(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
  std::size_t systemFiles() { return entriesIn(machine().hostC("WINDOWS/SYSTEM")); }

  const std::string fresh_ = win_testing::peImage(PeVersion{0x00040000, 1, 0x40004, 2, 0, {0x04E40409}});
  char temp_[merl::kPathBufferSize];
  win::UINT tempLength_ = 0;
};

TEST_F(VersionInstallTest, FindsTheTargetAndTellsPeFiles) {
  machine().makeFile("SRC/README.TXT", "text");
  char cur[merl::kPathBufferSize], dest[merl::kPathBufferSize];
  win::UINT curLength = sizeof cur, destLength = sizeof dest;
  EXPECT_TRUE(merl::FindVersionTarget("C:\\SRC\\FOO.DLL", 0, "FOO.DLL", "C:\\WINDOWS", "C:\\APP", cur, &curLength,
                                      dest, &destLength));
  EXPECT_STREQ(dest, "C:\\APP");
  EXPECT_STREQ(cur, "");
  curLength = sizeof cur, destLength = sizeof dest;
  EXPECT_FALSE(merl::FindVersionTarget("C:\\SRC\\README.TXT", 0, "README.TXT", "C:\\WINDOWS", "C:\\APP", cur,
                                       &curLength, dest, &destLength));
}

TEST_F(VersionInstallTest, MissingDestinationGoesThroughASideName) {
  machine().makeFile("WINDOWS/SYSTEM/OTHER.DLL", "x");
  EXPECT_EQ(install(true), 0u);
  EXPECT_EQ(host("WINDOWS/SYSTEM/FOO.DLL"), fresh_);
  EXPECT_EQ(systemFiles(), 2u);  // no side name or temporary copy left
}

TEST_F(VersionInstallTest, RefusalsAndFailedMoves) {
  const std::string newer = win_testing::peImage(PeVersion{0x00040000, 2, 0x40004, 2, 0, {0x04E40409}});
  const std::string older = win_testing::peImage(PeVersion{0x00040000, 0, 0x40004, 2, 0, {0x04E40409}});
  struct Case {
    const char* failures;
    const std::string* existing;  // FOO.DLL in place, or none
    win::DWORD result;
    std::size_t filesLeft;  // in the system directory, besides "keep"
  } cases[] = {
      {"", &newer, win::VIF_SRCOLD | win::VIF_MISMATCH | win::VIF_TEMPFILE, 2},
      {"busy = C:\\WINDOWS\\SYSTEM\\FOO.DLL\n", &older, win::VIF_FILEINUSE | win::VIF_TEMPFILE, 2},
      {"denied = C:\\WINDOWS\\SYSTEM\\FOO.DLL\n", nullptr, win::VIF_FILEINUSE, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failures);
    useMachine(std::string("[failures]\n") + c.failures);
    machine().makeFile("SRC/FOO.DLL", fresh_);
    machine().makeFile("WINDOWS/SYSTEM/keep");
    if (c.existing) machine().makeFile("WINDOWS/SYSTEM/FOO.DLL", *c.existing);
    EXPECT_EQ(install(true), c.result);
    EXPECT_EQ(systemFiles(), c.filesLeft + 1);
    if (c.existing) {
      EXPECT_EQ(host("WINDOWS/SYSTEM/FOO.DLL"), *c.existing);
    }
    if (c.result & win::VIF_TEMPFILE) {
      EXPECT_EQ(host("WINDOWS/SYSTEM/" + std::string(temp_)), fresh_);
    }
  }
}

TEST_F(VersionInstallTest, PlainFilesAndOverLongPaths) {
  machine().makeFile("WINDOWS/SYSTEM/keep");
  EXPECT_EQ(install(false), 0u);
  EXPECT_EQ(host("WINDOWS/SYSTEM/FOO.DLL"), fresh_);
  std::string deep = "C:\\" + std::string(250, 'D');
  EXPECT_EQ(install(true, deep.c_str()), win::VIF_CANNOTCREATE);
}

}  // namespace
