// The busy dialog and the directory-tree search: which drives the flags visit,
// the depth limit, case-blind matching of files only, and trees that loop
// through a link or run deeper than a path can hold.
#include "ui/search_dlg.h"

#include <filesystem>
#include <string>

#include "entry/dll_main.h"
#include "files/self_register.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "script/script_header.h"
#include "win/clock.h"
#include "win/library.h"

namespace {

class SearchDlgTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override {
    DllMain(nullptr, win::DLL_PROCESS_ATTACH, nullptr);
    useMachine(
        "[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n"
        "[drives]\nA = $STATE/dA\nD = $STATE/dD\nN = $STATE/dN\n"
        "[drive-types]\nA = removable\nD = cdrom\nN = remote\n");
    machine().writeText(machine().stateDir() + "/answers.txt", "");
    for (const char* d : {"dA", "dD", "dN"}) std::filesystem::create_directories(machine().stateDir() + "/" + d);
    setup_.screenWidth = 800;
    setup_.screenHeight = 600;
    scope_ = std::make_unique<merl::RunScope>(&setup_);
  }
  void TearDown() override { scope_.reset(); }
  // A file at a path below a drive's host directory ("C/A/X.DLL").
  void file(const std::string& drivePath) {
    std::filesystem::path p = machine().stateDir() + "/" + hostOf(drivePath);
    std::filesystem::create_directories(p.parent_path());
    machine().writeText(p.string(), "x");
  }
  std::string hostOf(const std::string& drivePath) {
    return drivePath[0] == 'C' ? "drives/" + drivePath : "d" + drivePath;
  }
  std::string search(const char* name, merl::BYTE flags) {
    merl::SearchRequest& r = merl::searchRequest();
    r.setFileName(name);
    r.setMessage("Looking");
    r.mode = merl::kSearchDrives;
    r.flags = flags;
    EXPECT_EQ(merl::RunSearchDialog(nullptr), 1);
    return r.foundPath;
  }

  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(SearchDlgTest, FlagsChooseFixedAndNetworkDrivesNeverRemovableOrCdRom) {
  struct Case {
    std::string where;
    merl::BYTE flags;
    std::string found;
  } cases[] = {
      {"C/X.DLL", 0x00, "C:\\X.DLL"}, {"C/X.DLL", 0x02, ""},          {"N/X.DLL", 0x02, "N:\\X.DLL"},
      {"N/X.DLL", 0x00, ""},          {"N/X.DLL", 0x04, "N:\\X.DLL"}, {"C/X.DLL", 0x04, "C:\\X.DLL"},
      {"A/X.DLL", 0x04, ""},          {"D/X.DLL", 0x04, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where + " " + std::to_string(c.flags));
    file(c.where);
    EXPECT_EQ(search("x.dll", c.flags), c.found);
    std::filesystem::remove(machine().stateDir() + "/" + hostOf(c.where));
  }
}

TEST_F(SearchDlgTest, TheDepthLimitCountsTheStartingDirectory) {
  struct Case {
    std::string where;
    merl::BYTE flags;
    std::string found;
  } cases[] = {
      {"C/A/X.DLL", 16, "C:\\A\\X.DLL"}, {"C/A/B/X.DLL", 16, ""}, {"C/A/X.DLL", 8, ""},
      {"C/X.DLL", 8, "C:\\X.DLL"},       {"C/A/B/C/D/x.Dll", 0, "C:\\A\\B\\C\\D\\x.Dll"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where + " " + std::to_string(c.flags));
    file(c.where);
    EXPECT_EQ(search("X.DLL", c.flags), c.found);
    std::filesystem::remove_all(machine().stateDir() + "/drives/C/A");
    std::filesystem::remove(machine().stateDir() + "/drives/C/X.DLL");
  }
}

TEST_F(SearchDlgTest, ADirectoryOfTheNameNeverMatches) {
  std::filesystem::create_directories(machine().stateDir() + "/drives/C/X.DLL");
  EXPECT_EQ(search("X.DLL", 0), "");
  file("C/B/X.DLL");
  EXPECT_EQ(search("X.DLL", 0), "C:\\B\\X.DLL");
}

TEST_F(SearchDlgTest, LinkLoopsAndTreesDeeperThanAPathEndWithoutAMatch) {
  std::string c = machine().stateDir() + "/drives/C";
  std::filesystem::create_directories(c + "/L");
  std::filesystem::create_directory_symlink(c + "/L", c + "/L/LOOP");
  std::string deep = c;
  for (int i = 0; i < 300; ++i) deep += "/DEEPER";  // a path past 259 characters after 37 levels
  std::filesystem::create_directories(deep);
  machine().writeText(deep + "/X.DLL", "x");
  EXPECT_EQ(search("X.DLL", 0), "");
  file("C/L/Y.DLL");
  EXPECT_EQ(search("Y.DLL", 0), "C:\\L\\Y.DLL");
}

TEST_F(SearchDlgTest, TheDialogWaitsOneTimerTickIgnoresCommandsAndRunsTheMode) {
  file("C/WINDOWS/P.DLL");
  machine().writeText(machine().stateDir() + "/answers.txt", "103 1\n");
  merl::SearchRequest& r = merl::searchRequest();
  r.setFileName("P.DLL");
  r.setMessage("Looking for P.DLL");
  r.mode = merl::kSearchPath;
  r.setDirectories("C:\\NONE;C:\\WINDOWS\\");
  merl::scriptHeader().dialogPosition = 8;
  merl::scriptHeader().placementMode = true;
  std::uint64_t start = win::GetTickCount();
  EXPECT_EQ(merl::RunSearchDialog(nullptr), 1);
  EXPECT_GE(win::GetTickCount() - start, 250u);
  EXPECT_STREQ(r.foundPath, "C:\\WINDOWS\\P.DLL");
  r.mode = merl::kSearchSelfRegister;
  ASSERT_TRUE(merl::QueueSelfRegister("C:\\APP\\SRV.EXE"));
  EXPECT_EQ(merl::RunSearchDialog(nullptr), 1);
  EXPECT_TRUE(merl::selfRegisterQueue().entries.empty());
  EXPECT_STREQ(r.foundPath, "");
  std::string message;
  long long left = -1, top = -1, width = 0, height = 0;
  for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl"))) {
    if (line["ev"].text() != "dialog" || line["key"].text() != "103") continue;
    for (const merl_kit::JsonValue& c : line["controls"].items())
      if (c["id"].integer() == 1005) message = c["text"].text();
    left = line["rect"][0].integer(), top = line["rect"][1].integer();
    width = line["rect"][2].integer() - left, height = line["rect"][3].integer() - top;
  }
  EXPECT_EQ(message, "Looking for P.DLL");
  EXPECT_EQ(left, (800 - width) / 2);  // always centred
  EXPECT_EQ(top, (600 - height) / 2);
}

}  // namespace
