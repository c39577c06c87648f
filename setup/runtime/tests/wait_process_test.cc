// Waiting for a started program: the thread's messages are dispatched while
// it waits (here a timer ends the program), and a bad handle ends the wait.
#include "system/wait_process.h"

#include <filesystem>
#include <string>

#include "runtime_test.h"
#include "win/files.h"
#include "win/message.h"
#include "win/process.h"

namespace {

namespace fs = std::filesystem;

std::string releaseFile;
int timerCalls = 0;

void releaseProbe(win::HWND, win::UINT, win::UINT_PTR, win::DWORD) {
  if (timerCalls++ == 0) win_testing::TestMachine::writeText(releaseFile, "");
}

class WaitProcessTest : public merl_testing::RuntimeTest {};

TEST_F(WaitProcessTest, MessagesAreDispatchedWhileTheProgramRuns) {
  useMachine("[env]\nPROBE_HOLD = $STATE/release\nPROBE_EXIT = 4\n");
  releaseFile = machine().stateDir() + "/release";
  timerCalls = 0;
  fs::create_directories(machine().hostC("APP"));
  fs::copy_file(MERL_WIN_PROBE, machine().hostC("APP/probe.exe"));
  // Due after a few steps of the wait: each empty look at the queue moves the clock by 10 ms.
  ASSERT_NE(win::SetTimer(nullptr, 0, 30, releaseProbe), 0u);
  std::string line = "C:\\APP\\probe.exe";
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  win::PROCESS_INFORMATION info{};
  ASSERT_TRUE(win::CreateProcess(nullptr, line.data(), nullptr, nullptr, win::FALSE, 0, nullptr, nullptr, &startup,
                                 &info));
  merl::WaitForProcess(info.hProcess);
  win::DWORD code = 0;
  EXPECT_TRUE(win::GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 4u);
  EXPECT_GE(timerCalls, 1);
  win::CloseHandle(info.hProcess);
  win::CloseHandle(info.hThread);
}

TEST_F(WaitProcessTest, AHandleThatCannotBeWaitedOnEndsTheWait) {
  merl::WaitForProcess(nullptr);
  merl::WaitForProcess(win::handleFromValue<win::HANDLE>(0x7777));
}

}  // namespace
