// UpdateScreen's pause on timer 8297, PumpUntilTimer when SetTimer fails,
// HandleFtp with and without the transfer library's "t2".
#include "entry/screen_services.h"

#include <string>
#include <vector>

#include "constants.h"
#include "entry/main_state.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "script/script_header.h"
#include "win/clock.h"
#include "win/library.h"
#include "win/message.h"
#include "win/process.h"
#include "win/window.h"

namespace {

merl::SetupRec* waitRecord = nullptr;

// The setup program's main window: timer 8297 clears the wait flag.
win::LRESULT mainWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (message == win::WM_TIMER && wParam == merl::kWaitTimerId && waitRecord) {
    waitRecord->waitFlag = 0;
    return 0;
  }
  return win::DefWindowProc(window, message, wParam, lParam);
}

class ScreenServicesTest : public merl_testing::RuntimeTest {
 protected:
  // A machine with a transcript (and ini), the module at modulePath, a main window and a run
  // over a setup record whose header has the pause flag as given.
  void start(const std::string& modulePath, bool headerPause, const std::string& ini = "") {
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\n" + ini);
    ASSERT_TRUE(win::declareModulePath(modulePath));
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = mainWindowProc;
    wc.hInstance = win::GetModuleHandle(nullptr);
    wc.lpszClassName = "ScreenTestMain";
    win::RegisterClass(&wc);
    setup_ = {};
    setup_.setupInstance = wc.hInstance;
    setup_.mainWindow = win::CreateWindowEx(0, "ScreenTestMain", "Setup", win::WS_POPUP, 0, 0, 640, 480, nullptr,
                                            nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(setup_.mainWindow);
    waitRecord = &setup_;
    scope_.reset();
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    merl::scriptHeader().progressPause = headerPause;
  }
  void TearDown() override {
    scope_.reset();
    waitRecord = nullptr;
  }
  // The timer events of the transcript as "<ev> <id>".
  std::vector<std::string> timerEvents() {
    std::vector<std::string> out;
    for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl"))) {
      std::string ev = line["ev"].text();
      if (ev.rfind("timer-", 0) == 0) out.push_back(ev + " " + std::to_string(line["id"].integer()));
    }
    return out;
  }

  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(ScreenServicesTest, UpdateScreenPausesOnlyWithFlagHeaderPauseAndAHardDisk) {
  struct Case {
    const char* module;
    bool headerPause;
    int flag;
    bool pauses;
  } cases[] = {
      {"C:\\SETUP\\SETUP.EXE", true, 1, true},   {"C:\\SETUP\\SETUP.EXE", true, 0, false},
      {"C:\\SETUP\\SETUP.EXE", false, 1, false}, {"A:\\SETUP.EXE", true, 1, false},
      {"b:\\SETUP.EXE", true, 1, false},
  };
  for (const Case& c : cases) {
    start(c.module, c.headerPause);
    win::DWORD before = win::GetTickCount();
    EXPECT_EQ(UpdateScreen(c.flag), 0);
    win::DWORD took = win::GetTickCount() - before;
    if (c.pauses) {
      EXPECT_EQ(took, 500u) << c.module;
      EXPECT_EQ(timerEvents(), (std::vector<std::string>{"timer-set 8297", "timer-fired 8297", "timer-killed 8297"}))
          << c.module;
    } else {
      EXPECT_LE(took, 10u) << c.module << " flag " << c.flag;
      EXPECT_TRUE(timerEvents().empty()) << c.module;
    }
    EXPECT_EQ(setup_.waitFlag, 0u);
  }
}

TEST_F(ScreenServicesTest, FailedTimerMakesOnePassAndLeavesTheWaitFlagClear) {
  start("C:\\SETUP\\SETUP.EXE", true, "[failures]\nsettimer = 8297\n");
  win::DWORD before = win::GetTickCount();
  merl::PumpUntilTimer(500, true);
  EXPECT_LE(win::GetTickCount() - before, 10u);
  EXPECT_EQ(setup_.waitFlag, 0u);
}

TEST_F(ScreenServicesTest, WaitEndsEvenWhenTheMainWindowNeverClearsTheFlag) {
  start("C:\\SETUP\\SETUP.EXE", true);
  waitRecord = nullptr;  // the main window ignores its timer
  win::DWORD before = win::GetTickCount();
  merl::PumpUntilTimer(250, true);
  win::DWORD took = win::GetTickCount() - before;
  EXPECT_GE(took, 250u);
  EXPECT_LE(took, 250u + merl::kTimerWaitGraceMs + 300u);
  EXPECT_EQ(timerEvents().back(), "timer-killed 8297");
}

std::vector<std::string> updates;
win::HWND recordUpdate(win::INT command, win::INT, merl::ActionParams*, win::LPCSTR text, win::INT, win::INT) {
  updates.push_back(std::to_string(command) + (text ? " text" : " none"));
  return nullptr;
}

TEST_F(ScreenServicesTest, UpdateScreenRefreshesTheShowingProgressLibraryWithoutText) {
  start("C:\\SETUP\\SETUP.EXE", false);
  updates.clear();
  merl::mainState().progress = recordUpdate;
  UpdateScreen(0);  // no copy progress showing
  EXPECT_TRUE(updates.empty());
  scope_->run().state<merl::CopyProgressLink>().showing = true;
  UpdateScreen(0);
  EXPECT_EQ(updates, std::vector<std::string>{"1 none"});
}

TEST_F(ScreenServicesTest, UpdateScreenRepaintsTheCopyBarOnePixelWiderWithoutErasing) {
  start("C:\\SETUP\\SETUP.EXE", false);
  win::HWND dialog = win::CreateWindowEx(0, "ScreenTestMain", "Copy", win::WS_POPUP | win::WS_VISIBLE, 50, 60, 300,
                                         120, nullptr, nullptr, setup_.setupInstance, nullptr);
  win::CreateWindowEx(0, "STATIC", "", win::WS_CHILD | win::WS_VISIBLE, 10, 20, 100, 14, dialog,
                      win::handleFromValue<win::HMENU>(merl::kCopyBarControl), setup_.setupInstance, nullptr);
  scope_->run().state<merl::CopyProgressLink>().copyDialog = dialog;
  UpdateScreen(0);
  std::vector<std::string> seen;
  for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
    if (line["ev"].text() == "invalidate" && line["hwnd"].integer() == static_cast<long long>(win::handleValue(dialog))) {
      const merl_kit::JsonValue& r = line["rect"];
      seen.push_back(std::to_string(r[0].integer()) + "," + std::to_string(r[1].integer()) + "," +
                     std::to_string(r[2].integer()) + "," + std::to_string(r[3].integer()) +
                     (line["erase"].boolean() ? " erase" : ""));
    }
  EXPECT_EQ(seen, std::vector<std::string>{"9,19,111,35"});
}

TEST(FloppyDrive, OnlyDrivesAAndBWithTheirColon) {
  struct Case {
    const char* path;
    bool floppy;
  } cases[] = {{"A:\\SETUP.EXE", true}, {"a:\\S.EXE", true},    {"B:\\S.EXE", true}, {"C:\\S.EXE", false},
               {"AB\\S.EXE", false},    {"\\\\A\\S.EXE", false}, {"", false},         {"@:\\S.EXE", false}};
  for (const Case& c : cases) EXPECT_EQ(merl::RunsFromFloppy(c.path), c.floppy) << c.path;
}

win::DWORD seen[3];
win::INT fakeControl(win::DWORD a, win::DWORD b, win::DWORD c) {
  seen[0] = a, seen[1] = b, seen[2] = c;
  return 77;
}

TEST(HandleFtp, ForwardsToT2OnceKnownElseZero) {
  EXPECT_EQ(HandleFtp(1, 2, 3), 0);  // outside every run
  merl::SetupRec setup{};
  merl::RunScope scope(&setup);
  EXPECT_EQ(HandleFtp(1, 2, 3), 0);
  scope.run().state<merl::TransferLink>().control = fakeControl;
  EXPECT_EQ(HandleFtp(1, 2, 3), 0);  // the library is not (or no longer) loaded
  merl::mainState().internetLibrary = win::handleFromValue<win::HINSTANCE>(1);
  EXPECT_EQ(HandleFtp(4, 5, 6), 77);
  EXPECT_EQ(seen[0] * 100 + seen[1] * 10 + seen[2], 456u);
  merl::mainState().internetLibrary = nullptr;
}

}  // namespace
