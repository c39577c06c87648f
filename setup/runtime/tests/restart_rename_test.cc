// Replacements put off until the next restart on each platform, %RESTART%, and
// the cases that schedule nothing.
#include "files/restart_rename.h"

#include <filesystem>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "files/side_names.h"
#include "runtime_test.h"
#include "script/variables.h"
#include "system/platform_flags.h"
#include "ui/message_dlg.h"
#include "win_testing/pe_image.h"

namespace {

using win_testing::PeVersion;

constexpr const char* kWorking = "C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP";
constexpr const char* kDestination = "C:\\WINDOWS\\SYSTEM\\FOO.DLL";

class RestartRenameTest : public merl_testing::RuntimeTest {
 protected:
  // A machine of the platform with a working file and a destination, and a run with restart
  // support as given.
  void start(const std::string& platform, bool restartSupport = true, const std::string& more = "") {
    scope_.reset();
    useMachine("[system]\nplatform = " + platform + "\n" + more +
               "[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    machine().makeFile("WINDOWS/SYSTEM/~QDH0000.TMP", "new");
    machine().makeFile("WINDOWS/SYSTEM/FOO.DLL", "old");
    for (int k = 0; k < 45; ++k) texts_[k] = "M" + std::to_string(k);
    texts_[26] = "Cannot copy %s";
    for (int k = 0; k < 45; ++k) table_[k] = texts_[k].c_str();
    setup_ = {};
    setup_.messageTable = table_;
    setup_.optionWord = restartSupport ? merl::kOptionRestartSupport : 0;
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    merl::InitPlatformFlags();
    merl::SetVar("WIN", "C:\\WINDOWS");
  }
  std::string host(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
  std::string pending() { return machine().readText(machine().stateDir() + "/" + win::kPendingRenamesFileName); }
  std::string restart() {
    char value[merl::kPathBufferSize];
    merl::GetVar("RESTART", value, sizeof value);
    return value;
  }

  std::string texts_[45];
  const char* table_[45] = {};
  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(RestartRenameTest, SchedulesThePlatformsWay) {
  struct Case {
    const char* platform;
    const char* restartBefore;
    const char* restartAfter;
    const char* pending;
    const char* wininit;
    const char* batch;
  } cases[] = {
      {"nt", "", "S", "5\tC:\\WINDOWS\\SYSTEM\\~QDH0000.TMP\tC:\\WINDOWS\\SYSTEM\\FOO.DLL\n", "", ""},
      {"nt", "E1", "S", "5\tC:\\WINDOWS\\SYSTEM\\~QDH0000.TMP\tC:\\WINDOWS\\SYSTEM\\FOO.DLL\n", "", ""},
      {"9x", "", "W", "", "C:\\WINDOWS\\SYSTEM\\FOO.DLL=C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP", ""},
      {"9x", "E1", "E1", "", "C:\\WINDOWS\\SYSTEM\\FOO.DLL=C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP", ""},
      {"9x", "S", "S", "", "C:\\WINDOWS\\SYSTEM\\FOO.DLL=C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP", ""},
      {"win32s", "", "W", "", "",
       "rem first\r\ndel C:\\WINDOWS\\SYSTEM\\FOO.DLL\r\nrename C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP FOO.DLL\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + " " + c.restartBefore);
    start(c.platform);
    if (*c.batch) machine().makeFile("WINDOWS/_MSSETUP.BAT", "rem first\r\n");
    merl::SetVar("RESTART", c.restartBefore);
    EXPECT_EQ(merl::RenameAtRestart(false, false, kWorking, kDestination), merl::kRenameScheduled);
    EXPECT_EQ(restart(), c.restartAfter);
    EXPECT_EQ(pending(), c.pending);
    std::string wininit = host("WINDOWS/WININIT.INI");
    if (*c.wininit) {
      EXPECT_NE(wininit.find("[rename]"), std::string::npos);
      EXPECT_NE(wininit.find(c.wininit), std::string::npos) << wininit;
    } else {
      EXPECT_EQ(wininit, "");
    }
    EXPECT_EQ(host("WINDOWS/_MSSETUP.BAT"), c.batch);
    EXPECT_EQ(merl::BatchFileWritten(), *c.batch != 0);
    EXPECT_TRUE(merl::ReplacementScheduled());
  }
}

TEST_F(RestartRenameTest, CreatesAMissingBatchFile) {
  start("win32s");
  EXPECT_EQ(merl::RenameAtRestart(false, false, kWorking, kDestination), merl::kRenameScheduled);
  EXPECT_EQ(host("WINDOWS/_MSSETUP.BAT"),
            "del C:\\WINDOWS\\SYSTEM\\FOO.DLL\r\nrename C:\\WINDOWS\\SYSTEM\\~QDH0000.TMP FOO.DLL\r\n");
}

TEST_F(RestartRenameTest, NothingScheduled) {
  struct Case {
    const char* name;
    const char* platform;
    bool restartSupport, compare;
    const char* failures;
  } cases[] = {
      {"restart support off", "nt", false, false, ""},
      {"equal version", "nt", true, true, ""},
      {"WININIT.INI denied", "9x", true, false, "denied = C:\\WINDOWS\\WININIT.INI\n"},
      {"batch file denied", "win32s", true, false, "denied = C:\\WINDOWS\\_MSSETUP.BAT\n"},
  };
  const std::string image = win_testing::peImage(PeVersion{});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start(c.platform, c.restartSupport, std::string("[failures]\n") + c.failures);
    machine().makeFile("WINDOWS/SYSTEM/~QDH0000.TMP", image);
    machine().makeFile("WINDOWS/SYSTEM/FOO.DLL", image);
    merl::SetVar("RESTART", "");
    EXPECT_EQ(merl::RenameAtRestart(c.compare, false, kWorking, kDestination), merl::kRenameNotScheduled);
    EXPECT_EQ(restart(), "");
    EXPECT_EQ(pending(), "");
    EXPECT_FALSE(merl::BatchFileWritten());
    EXPECT_FALSE(merl::ReplacementScheduled());
  }
}

TEST_F(RestartRenameTest, FailedStoreOnNt) {
  start("nt");
  std::filesystem::create_directories(machine().stateDir() + "/" + win::kPendingRenamesFileName);
  EXPECT_EQ(merl::RenameAtRestart(false, false, kWorking, kDestination), merl::kRenameNotScheduled);
  EXPECT_EQ(restart(), "");
}

TEST_F(RestartRenameTest, CopyFirst) {
  start("nt");
  machine().makeFile("SRC/FOO.DLL", "outside");
  run().state<merl::SideNameCounter>().next = 0;
  // ~QDH0000.TMP exists: the side copy is the next free name.
  EXPECT_EQ(merl::RenameAtRestart(false, true, "C:\\SRC\\FOO.DLL", kDestination), merl::kRenameScheduled);
  EXPECT_EQ(host("WINDOWS/SYSTEM/~QDH0001.TMP"), "outside");
  EXPECT_EQ(pending(), "5\tC:\\WINDOWS\\SYSTEM\\~QDH0001.TMP\tC:\\WINDOWS\\SYSTEM\\FOO.DLL\n");

  machine().writeText(machine().stateDir() + "/answers.txt", "114 1\n");
  EXPECT_EQ(merl::RenameAtRestart(false, true, "C:\\SRC\\NONE.DLL", kDestination), merl::kAbort);
  EXPECT_EQ(merl::lastErrorText(), "Cannot copy C:\\SRC\\NONE.DLL");
  EXPECT_EQ(host("WINDOWS/SYSTEM/~QDH0002.TMP"), "");
}

}  // namespace
