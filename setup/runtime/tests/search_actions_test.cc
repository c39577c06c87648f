// The search actions f13 (drives) and f22 (directory list or PATH): which
// drive or entry wins, the cut flag, the default, and the busy dialog with
// its text.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "interp/action_params.h"
#include "merl/setup_interface.h"
#include "script/variables.h"
#include "action_call.h"
#include "script_run.h"

namespace {

constexpr char kDrives[] =
    "[drives]\nE = $STATE/dE\nN = $STATE/dN\n[drive-types]\nE = fixed\nN = remote\n";

class SearchActionTest : public merl_testing::ActionCallTest {
 protected:
  void use(const std::string& extra = "") {
    useScriptMachine(kDrives + extra);
    for (const char* d : {"dE", "dN"}) std::filesystem::create_directories(machine().stateDir() + "/" + d);
    load("log text=\"\"\n");
    answers("103 1\n");
  }
  // A file below a drive ("E/A/X.DLL").
  void put(const std::string& drivePath) {
    std::string host = drivePath[0] == 'C' ? machine().stateDir() + "/drives/" + drivePath
                                           : machine().stateDir() + "/d" + drivePath;
    std::filesystem::create_directories(std::filesystem::path(host).parent_path());
    machine().writeText(host, "x");
  }
  std::size_t searchDialogs() {
    std::size_t n = 0;
    for (merl_kit::JsonValue& d : events("dialog"))
      if (d["key"].text() == "103") ++n;
    return n;
  }
};

TEST_F(SearchActionTest, DriveSearchTakesTheFirstDriveWithAHitAsTheFlagsAsk) {
  struct Case {
    std::vector<std::string> files;
    int flags;
    const char* stored;
  } cases[] = {
      {{"E/A/X.DLL", "C/B/X.DLL"}, 0, "C:\\B\\X.DLL"},
      {{"E/A/X.DLL"}, 0, "E:\\A\\X.DLL"},
      {{"E/A/X.DLL"}, 1, "E:\\A"},
      {{"N/X.DLL"}, 0, "DEF"},
      {{"N/X.DLL", "C/X.DLL"}, 2, "N:\\X.DLL"},
      {{"C/x.dll"}, 2, "DEF"},
      {{"C/X.DLL", "N/X.DLL"}, 4, "C:\\X.DLL"},
      {{"N/X.DLL"}, 4, "N:\\X.DLL"},
      {{"C/A/B/X.DLL"}, 2 << 3, "DEF"},     // depth limit 2
      {{"C/A/X.DLL"}, 2 << 3, "C:\\A\\X.DLL"},
      {{}, 0, "DEF"},
  };
  for (const Case& c : cases) {
    use();
    for (const std::string& f : c.files) put(f);
    EXPECT_EQ(call(f13, std::to_string(c.flags) + "\x7FV\x7FX.DLL\x7F" "DEF\x7F"), 0);
    EXPECT_EQ(value("V"), c.stored) << c.flags << " " << (c.files.empty() ? "" : c.files[0]);
    EXPECT_EQ(searchDialogs(), 0u);
  }
}

TEST_F(SearchActionTest, DriveSearchWithATextRunsInTheBusyDialogUnlessSilent) {
  use();
  put("E/X.DLL");
  EXPECT_EQ(call(f13, "0\x7FV\x7FX.DLL\x7F" "DEF\x7FLooking for X"), 0);
  EXPECT_EQ(value("V"), "E:\\X.DLL");
  EXPECT_EQ(searchDialogs(), 1u);
  setup_.silentFlag = 1;
  EXPECT_EQ(call(f13, "1\x7FW\x7FX.DLL\x7F" "DEF\x7FLooking for X"), 0);
  EXPECT_EQ(value("W"), "E:");
  EXPECT_EQ(searchDialogs(), 1u);
}

TEST_F(SearchActionTest, DriveSearchEndsInALinkCycle) {
  use();
  std::string c = machine().stateDir() + "/drives/C";
  std::filesystem::create_directories(c + "/L");
  std::filesystem::create_directory_symlink(c + "/L", c + "/L/LOOP");
  EXPECT_EQ(call(f13, "0\x7FV\x7FX.DLL\x7F" "DEF\x7F"), 0);
  EXPECT_EQ(value("V"), "DEF");
}

TEST_F(SearchActionTest, PathSearchTakesTheListOrPathAndElseTheDefault) {
  struct Case {
    const char* env;
    const char* list;
    const char* flag;
    const char* stored;
  } cases[] = {
      {"", "C:\\NONE; ;C:\\B\\;C:\\A", "0", "C:\\B\\P.DLL"},
      {"", " ;;C:\\A", "1", "C:\\A"},
      {"", "C:\\A\\SUB", "0", "DEF"},       // a directory of that name is no hit
      {"PATH = C:\\NONE;C:\\A\n", "", "0", "C:\\A\\P.DLL"},
      {"PATH = C:\\NONE\n", "", "0", "DEF"},
      {"", "", "0", "DEF"},                 // no PATH at all
  };
  for (const Case& c : cases) {
    use(std::string("[env]\n") + c.env);
    put("C/A/P.DLL");
    put("C/B/P.DLL");
    put("C/A/SUB/P.DLL/x");
    EXPECT_EQ(call(f22, std::string(c.flag) + "\x7FV\x7FP.DLL\x7F" "DEF\x7F" + c.list + "\x7F"), 0);
    EXPECT_EQ(value("V"), c.stored) << c.env << "|" << c.list;
    EXPECT_EQ(searchDialogs(), 0u);
  }
}

TEST_F(SearchActionTest, PathSearchWithATextRunsInTheBusyDialogEvenWhenSilent) {
  use();
  put("C/A/P.DLL");
  setup_.silentFlag = 1;
  EXPECT_EQ(call(f22, "0\x7FV\x7FP.DLL\x7F" "DEF\x7F" "C:\\A\x7FLooking"), 0);
  EXPECT_EQ(value("V"), "C:\\A\\P.DLL");
  EXPECT_EQ(searchDialogs(), 1u);
}

}  // namespace
