// Whole runs of registry and ODBC records through the stand-in: what reaches
// INSTALL.LOG, the end-of-run broadcast, a refused write ending the run, and the
// ODBC library loaded from the system directory.
#include <string>

#include <gtest/gtest.h>

#include "whole_run.h"
#include "win/registry.h"

namespace {

using merl_testing::machineIni;
using merl_testing::WholeRunTest;

std::string header() {
  return merl_testing::demoHeader().replace(merl_testing::demoHeader().find(" }\n}"), 4,
                                            " m44 = \"Registry write failed.\" }\n}");
}

bool shows(const merl_kit::JsonValue& box, const std::string& text) {
  for (std::size_t i = 0; i < box["controls"].size(); ++i)
    if (box["controls"][i]["text"].text() == text) return true;
  return false;
}

TEST_F(WholeRunTest, RegistryWriteIsLoggedForTheUninstallerAndBroadcastAtTheEnd) {
  machine();
  kit().assemble(header() +
                 "registry flags=2 type=3 key=\"Software\\\\Test\\\\App\" data=\"4096\" value_name=\"Count\"\n");
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 0);
  EXPECT_NE(kit().installLog().find("RegDB Key: Software\\Test\\App\r\nRegDB Val: 4096\r\nRegDB Name: Count\r\n"
                                    "RegDB Root: 2\r\nInstallation complete.\r\n"),
            std::string::npos)
      << kit().installLog();
  win::UniqueKey key;
  ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Test\\App", 0, win::KEY_QUERY_VALUE, key.put()), 0);
  win::DWORD type = 0, count = 0, size = sizeof count;
  ASSERT_EQ(win::RegQueryValueEx(key.get(), "Count", nullptr, &type, reinterpret_cast<win::BYTE*>(&count), &size), 0);
  EXPECT_EQ(type, win::REG_DWORD);
  EXPECT_EQ(count, 4096u);
  auto broadcasts = kit().transcript("broadcast");
  ASSERT_EQ(broadcasts.size(), 2u);
  EXPECT_EQ(broadcasts[1]["text"].text(), "Environment");
}

TEST_F(WholeRunTest, RefusedRegistryWriteShowsItsMessageAndEndsTheRun) {
  machine(machineIni("9x", "[registry]\nreadonly = HKEY_LOCAL_MACHINE\\Software\\Locked\n"));
  kit().assemble(header() + "registry flags=2 type=0 key=\"Software\\\\Locked\" data=\"v\" value_name=\"N\"\n" +
                 merl_testing::actionCall("AFTER=1"));
  merl_kit::StandinResult r = runOk({});
  EXPECT_EQ(r.line["result"].integer(), 1);
  auto boxes = kit().transcript("dialog");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(shows(boxes[0], "Registry write failed.")) << boxes[0]["title"].text();
  EXPECT_TRUE(kit().doubleLog("action", "SetVars").empty());
  EXPECT_EQ(kit().installLog().find("RegDB"), std::string::npos);
}

TEST_F(WholeRunTest, TestRunLeavesTheRegistryAlone) {
  machine();
  kit().assemble(header() + "registry flags=2 type=0 key=\"Software\\\\T\" data=\"v\" value_name=\"N\"\n");
  std::string before = kit().machine().readText(kit().stateDir() + "/registry.txt");
  runOk({"--silent"}, "/T");
  EXPECT_EQ(kit().machine().readText(kit().stateDir() + "/registry.txt"), before);
  EXPECT_TRUE(kit().transcript("broadcast").empty());
}

TEST_F(WholeRunTest, OdbcDriverRecordLoadsTheLibraryFromTheSystemDirectory) {
  machine();
  kit().install(MERL_ODBCINST_DOUBLE, "C:\\WINDOWS\\SYSTEM\\ODBCINST.DLL");
  kit().setConfig("[odbcinst]\nmanager_path = C:\\WINDOWS\\SYSTEM\n");
  kit().assemble(header() +
                 "odbc_driver library=0 manager_variable=\"MGR\" driver_variable=\"DRV\" description=\"\"\n" +
                 merl_testing::actionCall("SEEN=%MGR%"));
  runOk({"--silent"});
  EXPECT_EQ(kit().doubleLog("odbcinst", "SQLInstallDriverManager").size(), 1u);
}

}  // namespace
