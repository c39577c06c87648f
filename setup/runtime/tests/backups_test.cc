// Numbered backups in %BACKUPDIR% through CopyFileTo, and side names next to a
// destination.
#include "files/backups.h"

#include <cstdio>
#include <string>
#include <vector>

#include "files/copy_file_to.h"
#include "files/file_utils.h"
#include "files/side_names.h"
#include "runtime_test.h"
#include "script/variables.h"

namespace {

class BackupsTest : public merl_testing::RuntimeTest {
 protected:
  std::string host(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
};

TEST_F(BackupsTest, NumberedBackupNames) {
  struct Case {
    const char* backupDir;
    const char* source;
    std::vector<std::string> present;  // names already in BAK
    const char* backup;
  } cases[] = {
      {"C:\\BAK", "C:\\APP\\FOO.DLL", {}, "C:\\BAK\\FOO.DLL"},
      {"C:\\BAK", "C:\\APP\\FOO.DLL", {"FOO.DLL", "FOO.001", "FOO.002"}, "C:\\BAK\\FOO.003"},
      {"C:\\BAK", "C:\\APP\\FOO.DLL", {"FOO.DLL", "FOO.002"}, "C:\\BAK\\FOO.001"},
      {"C:\\BAK", "C:\\APP\\README", {"README"}, "C:\\BAK\\README.001"},
      {"C:\\BAK\\", "C:\\APP\\FOO.DLL", {}, "C:\\BAK\\FOO.DLL"},
      {"C:\\BAK.D", "C:\\APP\\README", {"README"}, "C:\\BAK.D\\README.001"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + std::to_string(c.present.size()));
    useMachine("");
    merl::SetVar("BACKUPDIR", c.backupDir);
    std::string dir = std::string(c.backupDir).substr(3);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    for (const std::string& name : c.present) machine().makeFile(dir + "/" + name, "older");
    std::string sourceHost = std::string(c.source).substr(3);
    sourceHost[sourceHost.find('\\')] = '/';
    machine().makeFile(sourceHost, "old bytes");
    char name[merl::kPathBufferSize] = "";
    EXPECT_EQ(merl::CopyFileTo(c.source, nullptr, name, 0, false, nullptr, nullptr), merl::kCopyDone);
    EXPECT_STREQ(name, c.backup);
    std::string backupHost = std::string(c.backup).substr(3);
    backupHost[backupHost.rfind('\\')] = '/';
    EXPECT_EQ(host(backupHost), "old bytes");
  }
}

TEST_F(BackupsTest, EveryNumberTakenReusesTheLast) {
  merl::SetVar("BACKUPDIR", "C:\\BAK");
  machine().makeFile("BAK/FOO.DLL", "older");
  for (int n = 1; n <= merl::kLastBackupNumber; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "BAK/FOO.%03d", n);
    machine().makeFile(name, "older");
  }
  machine().makeFile("APP/FOO.DLL", "old bytes");
  char name[merl::kPathBufferSize] = "";
  EXPECT_EQ(merl::CopyFileTo("C:\\APP\\FOO.DLL", nullptr, name, 0, false, nullptr, nullptr), merl::kCopyDone);
  EXPECT_STREQ(name, "C:\\BAK\\FOO.999");
  EXPECT_EQ(host("BAK/FOO.999"), "old bytes");
}

TEST_F(BackupsTest, NamesThatDoNotFitFail) {
  machine().makeFile("APP/FOO.DLL", "old bytes");
  char name[merl::kPathBufferSize] = "x";
  EXPECT_FALSE(merl::MakeBackupName(name, "C:\\APP\\FOO.DLL"));  // no backup directory
  EXPECT_STREQ(name, "");
  merl::SetVar("BACKUPDIR", "C:\\" + std::string(248, 'B'));
  EXPECT_FALSE(merl::MakeBackupName(name, "C:\\APP\\FOO.DLL"));
  EXPECT_EQ(merl::CopyFileTo("C:\\APP\\FOO.DLL", nullptr, nullptr, 0, false, nullptr, nullptr), merl::kCopyNoSource);
}

TEST_F(BackupsTest, SideNames) {
  machine().makeFile("WINDOWS/SYSTEM/~QDH0001.TMP");
  char side[merl::kPathBufferSize];
  const char* path = "C:\\WINDOWS\\SYSTEM\\FOO.DLL";
  ASSERT_TRUE(merl::MakeSideFileName(side, path));
  EXPECT_STREQ(side, "C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP");
  ASSERT_TRUE(merl::MakeSideFileName(side, path));
  EXPECT_STREQ(side, "C:\\WINDOWS\\SYSTEM\\~QDH0002.TMP");  // 0001 exists
  struct Case {
    merl::WORD counter;
    const char* first;
    const char* second;
  } cases[] = {
      {0x00FF, "C:\\WINDOWS\\SYSTEM\\~QDH00ff.TMP", "C:\\WINDOWS\\SYSTEM\\~QDH0100.TMP"},
      {0xFFFF, "C:\\WINDOWS\\SYSTEM\\~QDHffff.TMP", "C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP"},
  };
  for (const Case& c : cases) {
    run().state<merl::SideNameCounter>().next = c.counter;
    ASSERT_TRUE(merl::MakeSideFileName(side, path));
    EXPECT_STREQ(side, c.first);
    ASSERT_TRUE(merl::MakeSideFileName(side, path));
    EXPECT_STREQ(side, c.second);
  }
  std::string deep = "C:\\" + std::string(246, 'D') + "\\FOO.DLL";
  EXPECT_FALSE(merl::MakeSideFileName(side, deep.c_str()));
  EXPECT_STREQ(side, "");
}

}  // namespace
