// Program Manager records through the stand-in, and the sound and video record with
// the video double: what is sent, logged and placed.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "interp/progman_records.h"
#include "script_run.h"
#include "win/dde.h"
#include "win/window.h"

namespace {

namespace fs = std::filesystem;
using merl_kit::JsonValue;

win::HDDEDATA noCallback(win::UINT, win::UINT, win::HCONV, win::HSZ, win::HSZ, win::HDDEDATA, win::ULONG_PTR,
                         win::ULONG_PTR) {
  return nullptr;
}

class ProgmanSoundTest : public merl_testing::ScriptRunTest {
 protected:
  ~ProgmanSoundTest() override {
    if (instance_) win::DdeUninitialize(instance_);
  }
  // Loads body with DDE up, a main window of 800 x 600 and the platform's kind.
  void loadWithDde(const std::string& body, bool nt, bool nine) {
    load(body);
    merl::PlatformFlags& p = run_().platform;
    p.win32 = true, p.windowsNt = nt, p.windows9x = nine, p.majorAbove3 = nt || nine;
    if (instance_) win::DdeUninitialize(instance_);
    instance_ = 0;
    ASSERT_EQ(win::DdeInitialize(&instance_, noCallback, win::APPCMD_CLIENTONLY, 0), win::DMLERR_NO_ERROR);
    merl::progmanLink().ddeInstance = instance_;
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = win::DefWindowProc;
    wc.lpszClassName = "SetupMain";
    win::RegisterClass(&wc);
    setup_.mainWindow =
        win::CreateWindowEx(0, "SetupMain", "", win::WS_POPUP, 0, 0, 800, 600, nullptr, nullptr, nullptr, nullptr);
    setup_.screenWidth = 800;
    setup_.screenHeight = 600;
  }
  std::vector<std::string> progmanCommands() {
    std::vector<std::string> out;
    for (const JsonValue& e : events("progman")) out.push_back(e["command"].text());
    return out;
  }

  win::DWORD instance_ = 0;
};

TEST_F(ProgmanSoundTest, CommandsAreCompletedForThePlatformSentAndLogged) {
  const std::string longGroup(50 - 14, 'g');  // "[CreateGroup(" and ")" around it: 50 characters
  struct Case {
    bool nt, nine;
    int flags;
    std::string command;
    std::string sent;
  } cases[] = {
      {true, false, 0x02, "[CreateGroup(Demo", "[CreateGroup(Demo,0)]"},
      {true, false, 0x03, "[CreateGroup(Demo", "[CreateGroup(Demo,1)]"},
      {false, true, 0x03, "[CreateGroup(Demo", "[CreateGroup(Demo)]"},
      {true, false, 0x00, "[ShowGroup(Demo,1)]", "[ShowGroup(Demo,1)]"},
      {false, false, 0x02, "[CreateGroup(" + longGroup + ")",
       "[CreateGroup(" + longGroup.substr(0, 43 - 13) + ",0)]"},
  };
  for (const Case& c : cases) {
    useScriptMachine();
    loadWithDde("progman_open\nprogman flags=" + std::to_string(c.flags) + " command=\"" + c.command +
                    "\"\nprogman_close\n",
                c.nt, c.nine);
    EXPECT_EQ(runAll(), merl::kExit) << c.sent;
    EXPECT_EQ(progmanCommands(), std::vector<std::string>{c.sent});
    if (c.sent.rfind("[CreateGroup(Demo", 0) == 0) {
      EXPECT_EQ(logged(), "Icon Group: Demo\r\n");
    }
  }
}

TEST_F(ProgmanSoundTest, AShortenedCommandNeverEndsInALeadByte) {
  useMachine("[system]\ncodepage = 932\n");
  merl::PlatformFlags win32s;
  win32s.win32 = true;
  const std::string head = "[CreateGroup(" + std::string(29, 'g');
  EXPECT_EQ(merl::CompleteProgmanCommand(head + "\x82\xA0" + std::string(10, 'x'), 0x02, win32s), head + ",0)]");
  EXPECT_EQ(merl::CompleteProgmanCommand(head + "ab" + std::string(10, 'x'), 0x02, win32s), head + "a,0)]");
}

TEST_F(ProgmanSoundTest, TopmostFollowsOptionFourAndTestStateSendsNothing) {
  for (bool option : {true, false}) {
    useScriptMachine();
    loadWithDde("progman_open\nprogman flags=2 command=\"[CreateGroup(Demo\"\nprogman_close\n", true, false);
    if (option) setup_.optionWord = 0x04;
    EXPECT_EQ(runAll(), merl::kExit);
    std::vector<bool> topmost;
    for (const JsonValue& e : events("zorder")) topmost.push_back(e["topmost"].boolean());
    EXPECT_EQ(topmost, (option ? std::vector<bool>{true, false} : std::vector<bool>{}));
  }
  useScriptMachine();
  loadWithDde("progman_open\nprogman flags=2 command=\"[CreateGroup(Demo\"\nprogman_close\n", true, false);
  run_().runState = merl::kStateTest;
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_TRUE(progmanCommands().empty());
}

TEST_F(ProgmanSoundTest, WithoutDdeNothingIsSent) {
  loadWithDde("progman_open\nprogman flags=2 command=\"[CreateGroup(Demo\"\nprogman_close\n", true, false);
  merl::progmanLink().ddeInstance = 0;
  EXPECT_EQ(runAll(), merl::kExit);
  EXPECT_TRUE(progmanCommands().empty());
  EXPECT_EQ(logged(), "");
}

TEST_F(ProgmanSoundTest, SoundsPlayInTheBackgroundAndAnEmptyNameStopsThem) {
  loadWithDde("sound file=\"C:\\\\APP\\\\TADA.WAV\"\nsound flags=1 file=\"C:\\\\APP\\\\LOOP.WAV\"\nsound file=\"\"\n",
              true, false);
  EXPECT_EQ(runAll(), merl::kExit);
  std::vector<std::string> seen;
  for (const JsonValue& e : events("sound"))
    seen.push_back((e["stop"].boolean() ? std::string("stop") : e["file"].text()) + " " + e["flags"].text());
  EXPECT_EQ(seen, (std::vector<std::string>{"C:\\APP\\TADA.WAV 0x00000003", "C:\\APP\\LOOP.WAV 0x0000000B",
                                            "stop 0x00000000"}));
}

TEST_F(ProgmanSoundTest, VideoWindowIsPlacedOnTheGridAndPlayed) {
  struct Case {
    int flags;
    bool displayFlag;
  } cases[] = {{0x03, true}, {0x02, false}};
  for (const Case& c : cases) {
    useScriptMachine("[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n");
    fs::create_directories(machine().hostC("WINDOWS/SYSTEM"));
    fs::copy_file(MERL_VIDEO_DOUBLE, machine().hostC("WINDOWS/SYSTEM/MSVFW32.DLL"));
    loadWithDde("sound flags=" + std::to_string(c.flags) + " x=320 y=-48 file=\"C:\\\\APP\\\\CLIP.AVI\"\n", true,
                false);
    setup_.displayFlags = c.displayFlag ? 0 : 0x04;
    EXPECT_EQ(runAll(), merl::kExit);
    EXPECT_EQ((setup_.displayFlags & 0x04) != 0, c.displayFlag);
    std::vector<JsonValue> calls;
    for (JsonValue& line : merl_kit::parseJsonLines(doublesLog()))
      if (line["double"].text() == "video" && line["call"].text() != "load") calls.push_back(line);
    ASSERT_EQ(calls.size(), 2u) << doublesLog();
    EXPECT_EQ(calls[0]["call"].text(), "MCIWndCreateA");
    EXPECT_EQ(calls[0]["file"].text(), "C:\\APP\\CLIP.AVI");
    EXPECT_EQ(calls[0]["parent"].integer(), static_cast<std::int64_t>(win::handleValue(setup_.mainWindow)));
    EXPECT_EQ(calls[0]["style"].integer(), static_cast<std::int64_t>(win::WS_CHILD | win::WS_VISIBLE | 0x0A));
    EXPECT_EQ(calls[1]["message"].integer(), 0x0806);
    win::HWND video = win::handleFromValue<win::HWND>(static_cast<std::uintptr_t>(calls[0]["hwnd"].integer()));
    win::RECT rect{};
    ASSERT_TRUE(win::GetWindowRect(video, &rect));
    EXPECT_EQ(rect.left, 400);
    EXPECT_EQ(rect.top, -60);
  }
}

}  // namespace
