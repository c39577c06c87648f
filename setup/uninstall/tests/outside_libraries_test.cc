// The optional outside libraries through the kit's doubles: the dialog library
// registered and released, and the status report with its eight arguments
// when the log names an "Uninstall MIF".
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "win_testing/processes.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

const std::string kLog =
    "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\nUninstall MIF: DEMO\r\nManufacturer: Plexa\r\n"
    "Product: Demo Suite\r\nVersion Number: 1.0\r\nSerial Number: S-1\r\n";

struct Case {
  const char* name;
  const char* ini;
  std::string log;
  std::vector<std::string> present;  // parts of lines of the doubles' log
  std::vector<std::string> absent;
};

TEST(OutsideLibrariesTest, DialogLibraryAndStatusReport) {
  const std::string report =
      "\"call\":\"InstallStatusMIF\",\"mif\":\"DEMO\",\"manufacturer\":\"Plexa\",\"product\":\"Demo Suite\","
      "\"version\":\"1.0\",\"locale\":\"\",\"serial\":\"S-1\",\"status_text\":\"\",\"status\":1";
  const Case cases[] = {
      {"new shell",
       "",
       kLog,
       {report, "\"call\":\"Ctl3dRegister\"", "\"call\":\"Ctl3dUnregister\""},
       {"\"call\":\"Ctl3dAutoSubclass\""}},
      {"old shell subclasses", "[system]\nshell4 = 0\nversion = 3.51\n", kLog, {"\"call\":\"Ctl3dAutoSubclass\""}, {}},
      {"no report without a MIF name",
       "",
       "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\nProduct: Demo Suite\r\n",
       {"\"call\":\"Ctl3dRegister\""},
       {"InstallStatusMIF"}},
      {"no report for an invalid log", "", "Title: Demo\r\nUninstall MIF: DEMO\r\n", {}, {"InstallStatusMIF"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(std::string(remvex_tests::kUiIni) + c.ini +
                  "[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n");
    TestMachine::writeText(m.stateDir() + "/answers.txt", "");
    TestMachine::writeText(m.stateDir() + "/doubles.ini", "");
    remvex_tests::install(REMVEX32_PROGRAM, m.hostC("APP/REMVEX32.EXE"));
    remvex_tests::install(REMVEX_CTL3D_DOUBLE, m.hostC("WINDOWS/SYSTEM/CTL3D32.DLL"));
    remvex_tests::install(REMVEX_ISMIF_DOUBLE, m.hostC("WINDOWS/ismif32.dll"));
    m.makeFile("APP/INSTALL.LOG", c.log);
    EXPECT_EQ(remvex_tests::run("C:\\APP\\REMVEX32.EXE C:\\APP\\INSTALL.LOG"), 0u);
    const std::string log = TestMachine::readText(m.stateDir() + "/doubles.log");
    for (const auto& p : c.present) EXPECT_NE(log.find(p), std::string::npos) << p << "\n" << log;
    for (const auto& p : c.absent) EXPECT_EQ(log.find(p), std::string::npos) << p << "\n" << log;
    EXPECT_TRUE(win_testing::waitNoProcess());
  }
}

}  // namespace
