// Restart requests: SeShutdownPrivilege is enabled only for an administrator
// on NT, a reboot on NT needs it, and every accepted request is recorded in
// <state>/reboots.txt and the transcript while the process goes on.
#include "win/restart.h"

#include <gtest/gtest.h>

#include "win/error.h"
#include "win/process.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

std::string reboots(const TestMachine& m) { return TestMachine::readText(m.stateDir() + "/reboots.txt"); }

// The restart program's steps: token, privilege value, enable it.
win::DWORD enableShutdown() {
  win::HANDLE token = nullptr;
  if (!win::OpenProcessToken(win::GetCurrentProcess(), win::TOKEN_ADJUST_PRIVILEGES | win::TOKEN_QUERY, &token))
    return win::GetLastError();
  win::TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = win::SE_PRIVILEGE_ENABLED;
  if (!win::LookupPrivilegeValue(nullptr, win::SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
    return win::GetLastError();
  if (!win::AdjustTokenPrivileges(token, win::FALSE, &privileges, 0, nullptr, nullptr)) return win::GetLastError();
  return win::GetLastError();
}

TEST(RestartTest, AnAdministratorRebootIsRecordedNotPerformed) {
  TestMachine m("[ui]\ntranscript = $STATE/transcript.jsonl\n");
  EXPECT_FALSE(win::ExitWindowsEx(win::EWX_REBOOT, 0));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PRIVILEGE_NOT_HELD);
  EXPECT_EQ(enableShutdown(), win::ERROR_SUCCESS);
  EXPECT_TRUE(win::ExitWindowsEx(win::EWX_REBOOT, 0));
  EXPECT_TRUE(win::ExitWindowsEx(win::EWX_LOGOFF, 0xFFFFFFFF));
  EXPECT_EQ(reboots(m), "2\t0\tWIN_TESTS\n0\t4294967295\tWIN_TESTS\n");
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/transcript.jsonl"),
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"restart\",\"flags\":2,\"reason\":0}\n"
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"restart\",\"flags\":0,\"reason\":4294967295}\n");
}

TEST(RestartTest, OtherUsersGetNoPrivilegeButMayLogOff) {
  TestMachine m("[system]\nadmin = 0\n");
  EXPECT_EQ(enableShutdown(), win::ERROR_NOT_ALL_ASSIGNED);
  EXPECT_FALSE(win::ExitWindowsEx(win::EWX_REBOOT | win::EWX_FORCE, 0));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PRIVILEGE_NOT_HELD);
  EXPECT_TRUE(win::ExitWindowsEx(win::EWX_LOGOFF, 0));
  EXPECT_EQ(reboots(m), "0\t0\tWIN_TESTS\n");
}

TEST(RestartTest, On9xThereAreNoTokensAndNoneAreNeeded) {
  TestMachine m("[system]\nplatform = 9x\n");
  EXPECT_EQ(enableShutdown(), win::ERROR_CALL_NOT_IMPLEMENTED);
  EXPECT_TRUE(win::ExitWindowsEx(win::EWX_REBOOT, 0));
  EXPECT_EQ(reboots(m), "2\t0\tWIN_TESTS\n");
}

TEST(RestartTest, TokenCallsCheckTheirArguments) {
  TestMachine m;
  win::LUID luid{};
  ASSERT_TRUE(win::LookupPrivilegeValue(nullptr, "seshutdownprivilege", &luid));
  EXPECT_EQ(luid.LowPart, 19u);
  EXPECT_FALSE(win::LookupPrivilegeValue(nullptr, "SeNoSuchPrivilege", &luid));
  EXPECT_EQ(win::GetLastError(), win::ERROR_NO_SUCH_PRIVILEGE);
  win::HANDLE token = nullptr;
  ASSERT_TRUE(win::OpenProcessToken(win::GetCurrentProcess(), win::TOKEN_QUERY, &token));
  win::TOKEN_PRIVILEGES privileges{1, {{luid, win::SE_PRIVILEGE_ENABLED}}};
  EXPECT_FALSE(win::AdjustTokenPrivileges(token, win::FALSE, &privileges, 0, nullptr, nullptr));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_FALSE(win::AdjustTokenPrivileges(win::handleFromValue<win::HANDLE>(4000), win::FALSE, &privileges, 0,
                                          nullptr, nullptr));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_FALSE(win::OpenProcessToken(win::handleFromValue<win::HANDLE>(4000), win::TOKEN_QUERY, &token));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
}

}  // namespace
