// MerlMain through the stand-in: the DDE server as other programs and the
// script's libraries see it, and the exported screen services during a run.
#include <stdlib.h>

#include <filesystem>

#include "whole_run.h"
#include "win/files.h"

namespace merl_testing {
namespace {

// An empty PeekMessage moves the machine's clock by one tick: a call that
// only pumps may take that, a pause takes its 500 ms.
constexpr long long kPeekTickMs = 10;

// A fresh host directory holding drives C, A and B, removed by the caller.
std::string drivesDirectory() {
  char dir[] = "/tmp/merl_drives_XXXXXX";
  if (!::mkdtemp(dir)) return "";
  std::filesystem::create_directories(std::string(dir) + "/C");
  std::filesystem::create_directories(std::string(dir) + "/A");
  std::filesystem::create_directories(std::string(dir) + "/B");
  return dir;
}

// The transcript lines of event ev for timer 8297 (of ms milliseconds when given).
std::vector<merl_kit::JsonValue> timerEvents(merl_kit::KitMachine& kit, const char* ev, long long ms = -1) {
  std::vector<merl_kit::JsonValue> found;
  for (const merl_kit::JsonValue& line : kit.transcript(ev))
    if (line["id"].integer() == 8297 && (ms < 0 || line["ms"].integer() == ms)) found.push_back(line);
  return found;
}

TEST_F(WholeRunTest, TheDdeServerAnswersDuringTheRunAndIsGoneAfterIt) {
  machine();
  const std::string state = kit().stateDir();
  kit().install(MERL_DDE_REQUEST, "C:\\TOOLS\\DDEREQ.EXE");
  kit().machine().makeFile("WINDOWS/RO.INI", "[S]\r\n");
  ASSERT_TRUE(win::SetFileAttributes("C:\\WINDOWS\\RO.INI", win::FILE_ATTRIBUTE_READONLY));
  kit().setConfig("[action]\ndde_request = INSTALL_RESULT,NO_SUCH,INSTALL_RESULT\ndde_format = 1,1,2\n");
  auto exec = [&](const std::string& out, const std::string& topic) {
    return "exec flags=2 program=\"C:\\\\TOOLS\\\\DDEREQ.EXE\" arguments=\"--out " + state + "/" + out +
           " MerlInst " + topic + " x\" directory=\"\"\n";
  };
  kit().assemble(demoHeader() + "ini file=\"RO.INI\" section=\"S\" entries=\"a=1\"\n" + actionCall("") +
                 actionCall("") + actionCall("") + exec("result.bin", "INSTALL_RESULT") + exec("unset.bin", "NO_SUCH") +
                 exec("lower.bin", "install_result"));
  merl_kit::StandinResult r = runOk({"--silent", "--dde-after", "MerlInst"});

  std::vector<std::string> replies;
  for (const merl_kit::JsonValue& call : kit().doubleLog("action", "DdeRequest"))
    replies.push_back(call["topic"].text() + " " + (call["answered"].boolean() ? call["reply"].text() : "none"));
  EXPECT_EQ(replies, (std::vector<std::string>{"INSTALL_RESULT 45 00", "NO_SUCH 00", "INSTALL_RESULT none"}));
  struct Case {
    const char* file;
    std::string bytes;
  } cases[] = {{"result.bin", std::string("E\0", 2)}, {"unset.bin", std::string(1, '\0')},
               {"lower.bin", std::string("E\0", 2)}};
  for (const Case& c : cases) EXPECT_EQ(kit().machine().readText(state + "/" + c.file), c.bytes) << c.file;
  EXPECT_EQ(r.line["dde_after"].text(), "refused");
}

TEST_F(WholeRunTest, APokeToTheServerIsRefusedAndChangesNothing) {
  machine();
  // The first call sets RESTART; the second pokes it and asks for it back.
  kit().setConfig("[action]\ndde_poke = ,RESTART E cmd /k x\ndde_request = ,RESTART\n");
  kit().assemble(demoHeader() + actionCall("RESTART=I") + actionCall(""));
  merl_kit::StandinResult r = runOk({"--silent"});
  auto poke = kit().doubleLog("action", "DdePoke");
  ASSERT_EQ(poke.size(), 1u);
  EXPECT_TRUE(poke[0]["connected"].boolean());
  EXPECT_FALSE(poke[0]["taken"].boolean());
  auto request = kit().doubleLog("action", "DdeRequest");
  ASSERT_EQ(request.size(), 1u);
  EXPECT_EQ(request[0]["reply"].text(), "49 00");  // "I", as the library set it
  EXPECT_EQ(r.line["program"].text(), "");
  EXPECT_EQ(r.line["exit_code"].integer(), 1);
}

TEST_F(WholeRunTest, UpdateScreenPausesOnTheMainWindowsTimerOnlyWhenItShould) {
  struct Case {
    const char* name;
    std::string headerFlags;
    std::string module;
    std::string failures;
    bool timer;
  } cases[] = {
      {"pause on", "  flags = 0x20\n", "", "", true},
      {"header flag clear", "", "", "", false},
      {"from a floppy", "  flags = 0x20\n", "A:\\SETUP.EXE", "", false},
      {"from a floppy, lower case", "  flags = 0x20\n", "b:\\setup.exe", "", false},
      {"SetTimer fails", "  flags = 0x20\n", "", "[failures]\nsettimer = 8297\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string drives = drivesDirectory();
    ASSERT_FALSE(drives.empty());
    machine(machineIni("9x", c.failures + "[drives]\nC = " + drives + "/C\nA = " + drives +
                                 "/A\nB = " + drives +
                                 "/B\n[drive-types]\nA = removable\nB = removable\n"));
    kit().setConfig("[action]\nupdate_screen = 1\nhandle_ftp = 1 2 3\n");
    kit().assemble(demoHeader(c.headerFlags) + actionCall(""));
    std::vector<std::string> options = {"--silent"};
    if (!c.module.empty()) options.insert(options.end(), {"--module", c.module});
    runOk(options);
    auto update = kit().doubleLog("action", "UpdateScreen");
    ASSERT_EQ(update.size(), 1u);
    EXPECT_TRUE(update[0]["found"].boolean());
    EXPECT_EQ(update[0]["result"].integer(), 0);
    if (c.timer) EXPECT_EQ(update[0]["virtual_ms"].integer(), 500);
    else EXPECT_LE(update[0]["virtual_ms"].integer(), kPeekTickMs);
    auto set = timerEvents(kit(), "timer-set", 500);
    ASSERT_EQ(set.size(), c.timer ? 1u : 0u);
    if (c.timer) {
      EXPECT_NE(set[0]["hwnd"].integer(), 0);
      auto killed = timerEvents(kit(), "timer-killed");
      ASSERT_FALSE(killed.empty());
      EXPECT_EQ(killed[0]["hwnd"].integer(), set[0]["hwnd"].integer());
    }
    auto ftp = kit().doubleLog("action", "HandleFtp");
    ASSERT_EQ(ftp.size(), 1u);
    EXPECT_TRUE(ftp[0]["found"].boolean());
    EXPECT_EQ(ftp[0]["result"].integer(), 0);
    std::filesystem::remove_all(drives);
  }
}

}  // namespace
}  // namespace merl_testing
