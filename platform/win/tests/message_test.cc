// Queues and timers on the virtual clock: timers fire at their virtual time with
// no real wait, empty peeks step the clock, retrieval follows Windows' order, a
// wait nothing can end exits with status 3, and other threads reach a pump.
#include "win/message.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "thread_input.h"
#include "ui_test_support.h"
#include "win/clock.h"
#include "win/error.h"
#include "win/window.h"

namespace {

using namespace win;
using win_testing::TestMachine;

struct Seen {
  UINT message;
  WPARAM wParam;
  DWORD tick;
};
std::vector<Seen> seen;
bool waitFlag = false;

LRESULT recordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER || message >= WM_USER || message == WM_PAINT)
    seen.push_back({message, wParam, GetTickCount()});
  if (message == WM_TIMER) waitFlag = false;
  if (message == WM_PAINT) ValidateRect(hwnd, nullptr);
  if (message == WM_USER + 7) return static_cast<LRESULT>(GetCurrentThreadId());
  return DefWindowProc(hwnd, message, wParam, lParam);
}

HWND makeWindow(DWORD style = WS_OVERLAPPEDWINDOW) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = recordingProc;
  wc.lpszClassName = "Recorder";
  RegisterClass(&wc);
  seen.clear();
  return CreateWindowEx(0, "Recorder", "main", style, 0, 0, 640, 480, nullptr, nullptr, nullptr, nullptr);
}

void pumpMessages() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
}

TEST(MessageTest, TimerFiresOnceAtItsVirtualTimeWithoutARealWait) {
  TestMachine m(ui_test::kTranscriptIni);
  HWND main = makeWindow();
  auto realStart = std::chrono::steady_clock::now();
  // The runtime's timed wait: set the flag, start timer 8297, pump until the timer clears it.
  waitFlag = true;
  ASSERT_EQ(SetTimer(main, 8297, 500, nullptr), 8297u);
  while (waitFlag) pumpMessages();
  ASSERT_TRUE(KillTimer(main, 8297));
  auto real = std::chrono::steady_clock::now() - realStart;

  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, WM_TIMER);
  EXPECT_EQ(seen[0].wParam, 8297u);
  EXPECT_EQ(seen[0].tick, 500u);
  EXPECT_EQ(GetTickCount(), 510u);  // the pump's last empty look took one more tick
  EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(real).count(), 250);
  auto fired = ui_test::events(m, "timer-fired");
  ASSERT_EQ(fired.size(), 1u);
  EXPECT_EQ(fired[0].substr(0, 9), "{\"t\":500,");
  EXPECT_EQ(ui_test::events(m, "timer-killed").size(), 1u);
}

TEST(MessageTest, GetMessageWaitsForTheNextTimerOnTheVirtualClock) {
  TestMachine m;
  HWND main = makeWindow();
  SetTimer(main, 1, 300, nullptr);
  SetTimer(main, 2, 200, nullptr);
  MSG msg;
  std::vector<std::pair<WPARAM, DWORD>> fired;
  while (fired.size() < 4 && GetMessage(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_TIMER) fired.emplace_back(msg.wParam, GetTickCount());
    DispatchMessage(&msg);
  }
  EXPECT_EQ(fired, (std::vector<std::pair<WPARAM, DWORD>>{{2, 200}, {1, 300}, {2, 400}, {1, 600}}));
}

TEST(MessageTest, GetMessageWithNothingThatCanComeExitsWithStatusThree) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  TestMachine m(ui_test::kTranscriptIni);
  makeWindow();
  MSG msg;
  EXPECT_EXIT(GetMessage(&msg, nullptr, 0, 0), ::testing::ExitedWithCode(3), "GetMessage waits for ever");
  EXPECT_EXIT(WaitMessage(), ::testing::ExitedWithCode(3), "WaitMessage waits for ever");
}

TEST(MessageTest, PeekLoopWaitingForASecondEndsAfterAHundredEmptyPeeks) {
  TestMachine m;
  MSG msg;
  int peeks = 0;
  while (GetTickCount() < 1000) {
    EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    ++peeks;
  }
  EXPECT_EQ(peeks, 100);
  EXPECT_EQ(GetTickCount(), 1000u);
}

TEST(MessageTest, EmptyPeeksStepTheClockInTicksThatStopAtTheNextTimer) {
  TestMachine m;
  HWND main = makeWindow();
  SetTimer(main, 5, 25, nullptr);
  MSG msg;
  std::vector<DWORD> ticks;
  while (!PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE)) ticks.push_back(GetTickCount());
  EXPECT_EQ(ticks, (std::vector<DWORD>{10, 20, 25}));
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_NOREMOVE));  // looking does not restart it
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_TIMER);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetTickCount(), 35u);
}

TEST(MessageTest, MessagesComeInWindowsOrder) {
  TestMachine m;
  HWND main = makeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  SetTimer(main, 9, 10, nullptr);
  Sleep(10);
  PostMessage(main, WM_USER + 1, 0, 0);
  PostQuitMessage(4);
  PostMessage(main, WM_USER + 2, 0, 0);
  std::vector<UINT> order;
  MSG msg;
  for (int i = 0; i < 5; ++i) {
    BOOL r = GetMessage(&msg, nullptr, 0, 0);
    order.push_back(msg.message);
    if (!r) {
      EXPECT_EQ(msg.wParam, 4u);
    }
    DispatchMessage(&msg);
  }
  EXPECT_EQ(order, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_QUIT, WM_PAINT, WM_TIMER}));
}

TEST(MessageTest, FiltersPickByWindowAndRange) {
  TestMachine m;
  HWND a = makeWindow();
  HWND b = CreateWindowEx(0, "Recorder", "b", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  PostMessage(a, WM_USER + 1, 0, 0);
  PostMessage(b, WM_USER + 2, 0, 0);
  PostMessage(nullptr, WM_USER + 3, 0, 0);
  MSG msg;
  struct Case {
    HWND hwnd;
    UINT min, max;
    UINT expect;
  } cases[] = {
      {b, 0, 0, WM_USER + 2},
      {handleFromValue<HWND>(static_cast<std::uintptr_t>(-1)), 0, 0, WM_USER + 3},
      {nullptr, WM_USER + 1, WM_USER + 1, WM_USER + 1},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(PeekMessage(&msg, c.hwnd, c.min, c.max, PM_REMOVE));
    EXPECT_EQ(msg.message, c.expect);
  }
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetMessage(&msg, handleFromValue<HWND>(0x77777), 0, 0), -1);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST(MessageTest, TimerCallsFollowWindows) {
  TestMachine m("[failures]\nsettimer = 8297\n");
  HWND main = makeWindow();
  struct Case {
    HWND hwnd;
    UINT_PTR id;
    bool ok;
  } sets[] = {{main, 8297, false}, {main, 8298, true}, {handleFromValue<HWND>(0x4444), 1, false}};
  for (const auto& c : sets) {
    SetLastError(0);
    UINT_PTR r = SetTimer(c.hwnd, c.id, 100, nullptr);
    EXPECT_EQ(r != 0, c.ok) << c.id;
    if (!c.ok) {
      EXPECT_NE(GetLastError(), 0u);
    }
  }
  EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
  EXPECT_FALSE(KillTimer(main, 8297));
  EXPECT_TRUE(KillTimer(main, 8298));
  EXPECT_FALSE(KillTimer(main, 8298));
  UINT_PTR a = SetTimer(nullptr, 0, 5, nullptr), b = SetTimer(nullptr, 0, 5, nullptr);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
}

std::vector<DWORD> timerProcTicks;
void timerProc(HWND, UINT, UINT_PTR, DWORD tick) { timerProcTicks.push_back(tick); }

TEST(MessageTest, ThreadTimerCallsItsProcedure) {
  TestMachine m;
  timerProcTicks.clear();
  UINT_PTR id = SetTimer(nullptr, 0, 40, timerProc);
  MSG msg;
  while (timerProcTicks.size() < 2 && GetMessage(&msg, nullptr, 0, 0)) DispatchMessage(&msg);
  KillTimer(nullptr, id);
  EXPECT_EQ(timerProcTicks, (std::vector<DWORD>{40, 80}));
}

TEST(MessageTest, OutsideInputWakesAWaitWithoutMovingTheClock) {
  TestMachine m;
  DWORD self = GetCurrentThreadId();
  EXPECT_FALSE(PostThreadMessage(self + 40, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
  detail::setReceivesOutsideInput(true);
  std::thread other([self] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    PostThreadMessage(self, WM_USER + 5, 42, 0);
  });
  MSG msg;
  ASSERT_TRUE(GetMessage(&msg, nullptr, 0, 0));
  other.join();
  EXPECT_EQ(msg.message, WM_USER + 5);
  EXPECT_EQ(msg.wParam, 42u);
  EXPECT_EQ(GetTickCount(), 0u);
  detail::setReceivesOutsideInput(false);
}

TEST(MessageTest, WorkHandedToAThreadRunsInsideItsPump) {
  TestMachine m;
  DWORD self = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::thread other([&] { detail::runOnThread(self, [&] { ranOn = GetCurrentThreadId(); }); });
  other.join();
  EXPECT_TRUE(detail::hasPendingOutsideInput(self));
  EXPECT_TRUE(detail::waitForOutsideInput(self, 0));
  EXPECT_EQ(ranOn.load(), 0u);
  MSG msg;
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(ranOn.load(), self);
  EXPECT_FALSE(detail::hasPendingOutsideInput(self));
  EXPECT_FALSE(detail::runOnThread(self + 99, [] {}));
}

TEST(MessageTest, SendMessageRunsTheProcedureOnTheWindowsThread) {
  TestMachine m;
  makeWindow();
  std::atomic<HWND> theirs{nullptr};
  std::atomic<DWORD> theirId{0};
  std::thread owner([&] {
    detail::setReceivesOutsideInput(true);
    theirId = GetCurrentThreadId();
    theirs = CreateWindowEx(0, "Recorder", "theirs", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    MSG msg;
    while (GetMessage(&msg, nullptr, 0, 0)) DispatchMessage(&msg);
  });
  while (!theirs.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  LRESULT r = SendMessage(theirs, WM_USER + 7, 0, 0);
  PostThreadMessage(theirId, WM_QUIT, 0, 0);
  owner.join();
  EXPECT_EQ(r, static_cast<LRESULT>(theirId.load()));
  EXPECT_NE(theirId.load(), GetCurrentThreadId());
}

}  // namespace
