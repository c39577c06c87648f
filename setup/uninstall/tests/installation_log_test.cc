// One whole installation's log, written as the installation runtime writes
// it (a new directory and files, a file over an existing one with its backup,
// an INI entry, a registry value, a program group item), read back: the dump
// lists exactly those changes with their backups and old values.
#include <string>

#include <gtest/gtest.h>

#include "log/log_dump.h"
#include "log/log_reader.h"
#include "start/platform_info.h"
#include "win_testing/test_machine.h"

namespace {

TEST(InstallationLogTest, ListsExactlyTheChangesOfTheRun) {
  win_testing::TestMachine m;
  for (const char* f : {"APP/DEMO.EXE", "APP/DATA/DEMO.DAT", "WINDOWS/SYSTEM/SHARED.DLL", "APP/BACKUP/SHARED.DLL"})
    m.makeFile(f, "x");
  m.makeFile("WINDOWS/DEMO.INI", "[Paths]\r\nHome=C:\\APP\r\n");
  const std::string log =
      "***  Installation Started 02/25/2003 14:05  ***\r\n"
      "Title: Demo Suite INSTALLATION\r\n"
      "Source: C:\\INSTALL\\DISK1\\SETUP.EXE\r\n"
      "Made Dir: C:\\APP\r\n"
      "Made Dir: C:\\APP\\DATA\r\n"
      "File Copy: C:\\APP\\DEMO.EXE\r\n"
      "File Copy: C:\\APP\\DATA\\DEMO.DAT\r\n"
      "Made Dir: C:\\APP\\BACKUP\r\n"
      "File Overwrite: C:\\WINDOWS\\SYSTEM\\SHARED.DLL\r\n"
      "Backup Copy: C:\\APP\\BACKUP\\SHARED.DLL\r\n"
      "INI File: C:\\WINDOWS\\DEMO.INI\r\nINI Sect: Paths\r\nINI Item: Home\r\nINI Val: C:\\APP\r\n"
      "INI Old: C:\\OLD\r\n"
      "RegDB Key: Software\\Plexa\\Demo\r\nRegDB Val: 1.0\r\nRegDB Name: Version\r\nRegDB Root: 2\r\n"
      "RegDB Old: 0.9\r\n"
      "Icon Group: Demo Suite\r\n"
      "Icon Name: Demo\r\nIcon Cmd: C:\\APP\\DEMO.EXE\r\n"
      "User Rights: Admin\r\n"
      "Installation complete.\r\n";
  m.makeFile("APP/INSTALL.LOG", log);
  remvex::ReaderSettings settings;
  settings.platform = remvex::DetectPlatform().platform;
  remvex::LogState state;
  ASSERT_EQ(remvex::ReadInstallLog("C:\\APP\\INSTALL.LOG", settings, state), 0);
  EXPECT_EQ(remvex::DumpLogState(state),
            "installations: 1\n"
            "last offset: 0\n"
            "ansi: 1\n"
            "rollback offered: 1\n"
            "title: Demo Suite\n"
            "window title: Uninstall Demo Suite\n"
            "log directory: C:\\APP\\\n"
            "product: ||||\n"
            "sub-system: -\n"
            "private files: 2\n"
            "  C:\\APP\\DEMO.EXE backup= sel=0 delete=1 selfreg=0 device=0 inst=1 backup-inst=1 shared-inst=1\n"
            "  C:\\APP\\DATA\\DEMO.DAT backup= sel=0 delete=1 selfreg=0 device=0 inst=1 backup-inst=1 "
            "shared-inst=1\n"
            "system files: 1\n"
            "  C:\\WINDOWS\\SYSTEM\\SHARED.DLL backup=C:\\APP\\BACKUP\\SHARED.DLL sel=0 delete=0 selfreg=0 "
            "device=0 inst=1 backup-inst=1 shared-inst=1\n"
            "edited files: 0\n"
            "directories: 1\n"
            "  C:\\APP\\ tree=0 inst=1\n"
            "ini files: 0\n"
            "ini entries: 1\n"
            "  C:\\WINDOWS\\DEMO.INI [Paths] Home old=C:\\OLD rollback=C:\\OLD inst=1\n"
            "registry remove: 0\n"
            "registry trees: 0\n"
            "registry restore: 1\n"
            "  2 Software\\Plexa\\Demo name=Version type=0 old=0.9 rollback=0.9 inst=1\n"
            "icons: 1\n"
            "  Demo Suite / Demo cmd=C:\\APP\\DEMO.EXE inst=1\n"
            "programs: 0\n"
            "services: 0\n");
}

}  // namespace
