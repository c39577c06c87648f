// The installation log reader: its state compared as dumps, one small log
// per rule.
#include "log/log_reader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/log_dump.h"
#include "start/platform_info.h"
#include "platform_testing/temp_dir.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

std::string header(const char* title = "T") {
  return std::string("***  Installation Started 02/25/2003 14:05  ***\r\nTitle: ") + title + "\r\n";
}

std::string lines(const std::vector<std::string>& body) {
  std::string out;
  for (const auto& l : body) out += l + "\r\n";
  return out;
}

class LogReaderTest : public ::testing::Test {
 protected:
  // Reads log written as the Windows file path (relative to drive C's host directory).
  std::string dump(const std::string& log, const char* at = "INSTALL.LOG", int* result = nullptr,
                   bool titleArgument = false) {
    machine_->makeFile(at, log);
    remvex::ReaderSettings settings;
    settings.titleArgument = titleArgument;
    settings.platform = remvex::DetectPlatform().platform;
    remvex::LogState state;
    int r = remvex::ReadInstallLog(std::string("C:\\") + at, settings, state);
    if (result) *result = r;
    return remvex::DumpLogState(state);
  }
  void use(const std::string& ini) {
    machine_.reset();
    machine_ = std::make_unique<TestMachine>(ini);
  }

  std::unique_ptr<TestMachine> machine_ = std::make_unique<TestMachine>();
};

TEST_F(LogReaderTest, TwoInstallationsOfOneFileWithItsBackup) {
  const std::string first =
      "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\nSource: C:\\INSTALL\\DISK1\\SETUP.EXE\r\n"
      "Made Dir: C:\\APP\r\nFile Copy: C:\\APP\\DEMO.EXE\r\n";
  const std::string second =
      "***  Installation Started 02/26/2003 09:30  ***\r\nTitle: Demo\r\nSource: C:\\DISK\\DISK0001\\SETUP.EXE\r\n"
      "File Overwrite: C:\\APP\\DEMO.EXE\r\nBackup Copy: C:\\APP\\BACKUP\\DEMO.EXE\r\n";
  ASSERT_EQ(first.size(), 144u);
  ASSERT_EQ(second.size(), 168u);
  machine_->makeFile("APP/DEMO.EXE", "new");
  int result = -1;
  EXPECT_EQ(dump(first + second, "APP/INSTALL.LOG", &result),
            "installations: 2\n"
            "last offset: 144\n"
            "ansi: 1\n"
            "rollback offered: 1\n"
            "title: Demo\n"
            "window title: Uninstall Demo\n"
            "log directory: C:\\APP\\\n"
            "product: ||||\n"
            "sub-system: -\n"
            "private files: 1\n"
            "  C:\\APP\\DEMO.EXE backup=C:\\APP\\BACKUP\\DEMO.EXE sel=0 delete=1 selfreg=0 device=0 inst=2 "
            "backup-inst=2 shared-inst=2\n"
            "system files: 0\n"
            "edited files: 0\n"
            "directories: 1\n"
            "  C:\\APP\\ tree=0 inst=1\n"
            "ini files: 0\n"
            "ini entries: 0\n"
            "registry remove: 0\n"
            "registry trees: 0\n"
            "registry restore: 0\n"
            "icons: 0\n"
            "programs: 0\n"
            "services: 0\n");
  EXPECT_EQ(result, 0);
}

struct Case {
  const char* name;
  std::vector<const char*> files;  // made on drive C before reading
  std::string log;
  std::vector<const char*> expected;  // parts of the dump
};

TEST_F(LogReaderTest, ReaderRules) {
  const std::string ansi = header();
  const Case cases[] = {
      {"title INSTALLATION ending", {}, header("Sample Application INSTALLATION"), {"title: Sample Application\n"}},
      {"title INSTALL ending", {}, header("Demo INSTALL"), {"title: Demo\n", "window title: Uninstall Demo\n"}},
      {"title of 13 characters", {}, header(" INSTALLATION"), {"title:  INSTALLATION\n"}},
      {"short title line", {}, "*** x\r\nTitle:\r\n", {"title: \n", "ansi: 0\n"}},
      {"WIN32S file is a system file",
       {"WINDOWS/SYSTEM/WIN32S/W.DLL"},
       ansi + lines({"File Copy: C:\\WINDOWS\\SYSTEM\\WIN32S\\W.DLL"}),
       {"private files: 0\n", "system files: 1\n  C:\\WINDOWS\\SYSTEM\\WIN32S\\W.DLL backup= sel=0 delete=1"}},
      {"Non-System File selects",
       {"WINDOWS/SYSTEM/S.DLL"},
       ansi + lines({"Non-System File:", "File Copy: C:\\WINDOWS\\SYSTEM\\S.DLL"}),
       {"system files: 1\n  C:\\WINDOWS\\SYSTEM\\S.DLL backup= sel=1 delete=1"}},
      {"shared counter ignored",
       {"APP/A.DLL"},
       ansi + lines({"Shared DLL counter ignored:", "File Copy: C:\\APP\\A.DLL"}),
       {"C:\\APP\\A.DLL backup= sel=0 delete=1 selfreg=0 device=0 inst=1 backup-inst=1 shared-inst=0\n"}},
      {"missing file and overwrite without backup",
       {"APP/OVER.EXE"},
       ansi + lines({"File Copy: C:\\APP\\GONE.EXE", "File Overwrite: C:\\APP\\OVER.EXE"}),
       {"private files: 0\n", "rollback offered: 0\n"}},
      {"made directories outer first",
       {},
       ansi + lines({"Made Dir: C:\\APP", "Made Dir: C:\\APP\\DATA"}),
       {"directories: 1\n  C:\\APP\\ tree=0 inst=1\n"}},
      {"made directories inner first",
       {},
       ansi + lines({"Made Dir: C:\\APP\\DATA", "Made Dir: C:\\APP"}),
       {"directories: 1\n  C:\\APP\\ tree=0 inst=1\n"}},
      {"made directory of bad shape", {}, ansi + lines({"Made Dir: APP", "Made Dir: C:"}), {"directories: 0\n"}},
      {"file tree",
       {},
       ansi + lines({"File Tree: C:\\DATA\\*.*", "File Tree: " + std::string(300, 'x')}),
       {"directories: 1\n  C:\\DATA\\ tree=1 inst=1\n"}},
      {"INI item changed twice",
       {},
       ansi + lines({"INI File: C:\\WINDOWS\\APP.INI", "INI Sect: S", "INI Item: K", "INI Val: two",
                     "INI Old: first"}) +
           header() +
           lines({"INI File: C:\\WINDOWS\\APP.INI", "INI Sect: s", "INI Item: k", "INI Val: three",
                  "INI Old: second"}),
       {"ini entries: 1\n  C:\\WINDOWS\\APP.INI [S] K old=first rollback=second inst=2\n"}},
      {"INI item without value now",
       {},
       ansi + lines({"INI File: C:\\WINDOWS\\APP.INI", "INI Sect: S", "INI Item: NONE", "INI Val: x"}),
       {"ini entries: 0\n"}},
      {"new INI file skips its entry lines",
       {},
       ansi + lines({"INI New: Created INI", "INI File: C:\\WINDOWS\\APP.INI", "INI Sect: S", "INI Item: K",
                     "INI Val: v", "Made Dir: C:\\NEW"}),
       {"ini files: 1\n  C:\\WINDOWS\\APP.INI inst=1\n", "ini entries: 0\n", "directories: 1\n  C:\\NEW\\"}},
      {"registry key then a file line",
       {"APP/A.EXE"},
       ansi + lines({"RegDB Key: Software\\Demo", "File Copy: C:\\APP\\A.EXE"}),
       {"registry remove: 0\n", "private files: 1\n  C:\\APP\\A.EXE "}},
      {"registry values to remove and restore",
       {},
       ansi + lines({"RegDB Key: Software\\Demo", "RegDB Val: 1", "RegDB Name: Path", "RegDB Root: 2",
                     "RegDB Key: Software\\Demo", "RegDB Val: x", "RegDB Name: List", "RegDB Type: 2",
                     "RegDB Root: 2", "RegDB Old: a", "RegDB Old: b"}),
       {"registry remove: 1\n  2 Software\\Demo name=Path inst=1\n",
        "registry restore: 1\n  2 Software\\Demo name=List type=2 old=a|b rollback=a inst=1\n"}},
      {"registry root out of range drops its group",
       {},
       ansi + lines({"RegDB Key: K", "RegDB Val: 1", "RegDB Root: 9", "RegDB Tree: T", "RegDB Root: 5"}),
       {"registry remove: 0\n", "registry trees: 0\n"}},
      {"registry tree",
       {},
       ansi + lines({"RegDB Tree: Software\\Tree", "RegDB Root: 1", "RegDB Tree: Software\\Tree"}),
       {"registry trees: 2\n  1 Software\\Tree inst=1\n  0 Software\\Tree inst=1\n"}},
      {"OEM paths without the ANSI blank",
       {},
       std::string("*** Installation\r\nTitle: T\r\nMade Dir: C:\\\x81\r\n"),
       {"ansi: 0\n", "directories: 1\n  C:\\\\xFC\\ tree=0"}},
      {"a group with two items",
       {},
       ansi + lines({"Icon Group: Demo", "Icon Name: One", "Icon Cmd: C:\\APP\\ONE.EXE", "Icon Name: Two",
                     "Icon Cmd: C:\\APP\\TWO.EXE"}),
       {"icons: 2\n  Demo / One cmd=C:\\APP\\ONE.EXE inst=1\n  Demo / Two cmd=C:\\APP\\TWO.EXE inst=1\n"}},
      {"programs, services, sub-system and product",
       {},
       ansi + lines({"Execute Path: C:\\APP\\SETUP2.EXE", "Execute Name: Second", "Create Service: DemoSvc",
                     "SubSystem: BDE", "Uninstall MIF: DEMO", "Product: Demo"}),
       {"programs: 1\n  C:\\APP\\SETUP2.EXE name=Second inst=1\n", "services: 1\n  DemoSvc inst=1\n",
        "sub-system: BDE\n", "product: DEMO||Demo||\n"}},
      {"an overlong line is ignored, not cut",
       {"APP/A.EXE"},
       ansi + lines({"Made Dir: C:\\APP\\" + std::string(5000, 'D')}),
       {"directories: 0\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use("");
    machine_->makeFile("WINDOWS/APP.INI", "[S]\r\nK=three\r\n");
    for (const char* f : c.files) machine_->makeFile(f, "x");
    const std::string text = dump(c.log);
    for (const char* part : c.expected) EXPECT_NE(text.find(part), std::string::npos) << part << "\nin\n" << text;
  }
}

TEST_F(LogReaderTest, ListsKeepAtMostTheirCapacity) {
  std::string log = header();
  for (int i = 0; i < 5000; ++i) {
    const std::string name = "F" + std::to_string(i);
    machine_->makeFile("APP/" + name, "");
    log += "File Copy: C:\\APP\\" + name + "\r\n";
  }
  EXPECT_NE(dump(log).find("private files: 4096\n"), std::string::npos);
}

TEST_F(LogReaderTest, RemovableDrivesAreNotListed) {
  platform_testing::TempDir floppy;
  TestMachine::writeText(floppy.file("A.EXE"), "x");
  use("[drives]\nA = " + floppy.path() + "\n[drive-types]\nA = removable\n");
  EXPECT_NE(dump(header() + lines({"File Copy: A:\\A.EXE", "Made Dir: C:\\X"})).find("private files: 0\n"),
            std::string::npos);
}

TEST_F(LogReaderTest, RefusedLogsReturnOne) {
  struct Refused {
    const char* name;
    std::string log;
    const char* ini;
  };
  const Refused cases[] = {
      {"no header", "Title: T\r\n", ""},
      {"no title", "***  Installation\r\nSource: x\r\n", ""},
      {"empty", "", ""},
      {"admin rights not held", header() + "User Rights: Admin\r\n", "[system]\nadmin = 0\n"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.ini);
    int result = 0;
    dump(c.log, "INSTALL.LOG", &result);
    EXPECT_EQ(result, 1);
  }
  use("");
  remvex::LogState state;
  EXPECT_EQ(remvex::ReadInstallLog("C:\\NONE\\INSTALL.LOG", {}, state), 1);
  use("[system]\nplatform = 9x\nadmin = 0\n");
  int result = 1;
  dump(header() + "User Rights: Admin\r\n", "INSTALL.LOG", &result);
  EXPECT_EQ(result, 0);
}

TEST_F(LogReaderTest, DumpToolPrintsTheState) {
  machine_->makeFile("INSTALL.LOG", header("Tool INSTALL") + "Made Dir: C:\\TOOL\r\n");
  const std::string command = std::string("IDS_PLATFORM_DIR='") + machine_->stateDir() + "' " REMVEX_LOG_DUMP
                              " 'C:\\INSTALL.LOG' > '" + machine_->stateDir() + "/out.txt'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string out = TestMachine::readText(machine_->stateDir() + "/out.txt");
  EXPECT_NE(out.find("title: Tool\n"), std::string::npos) << out;
  EXPECT_NE(out.find("directories: 1\n  C:\\TOOL\\ tree=0 inst=1\n"), std::string::npos) << out;
}

}  // namespace
