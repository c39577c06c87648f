// The process table: the machine registers its own process, live children
// count until they end (a zombie is gone), reused pids and bad entries are swept.
#include "win/proc_table.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform_testing/child_process.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

// A forked child that waits for a signal (or exits after delayMs when given).
pid_t startChild(int delayMs = -1) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (delayMs >= 0) {
      ::usleep(static_cast<useconds_t>(delayMs) * 1000);
      ::_exit(0);
    }
    for (;;) ::pause();
  }
  return pid;
}

void reap(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
}

TEST(ProcTableTest, MachineRegistersItsProcessWhileItLives) {
  std::string entry;
  {
    TestMachine m;
    auto live = m.machine().processTable().live();
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].pid, ::getpid());
    EXPECT_EQ(live[0].hostProgram, platform::programPath());
    EXPECT_TRUE(m.machine().processTable().inUse(platform::programPath()));
    entry = m.stateDir() + "/proc/" + std::to_string(::getpid());
    EXPECT_TRUE(platform::fileExists(entry));
  }
  EXPECT_FALSE(platform::fileExists(entry));
}

TEST(ProcTableTest, ChildrenCountUntilTheyEndAndZombiesAreGone) {
  TestMachine m;
  auto& table = m.machine().processTable();
  m.makeFile("App/probe.exe", "program");
  std::string program = m.hostC("App/probe.exe");
  pid_t a = startChild(), b = startChild();
  ASSERT_TRUE(table.add(a, program, "C:\\App\\probe.exe"));
  ASSERT_TRUE(table.add(b, program, "C:\\App\\probe.exe"));
  EXPECT_EQ(table.liveCount(program), 2);
  std::filesystem::rename(program, m.hostC("App/renamed.exe"));  // the same file under a new name
  EXPECT_EQ(table.liveCount(m.hostC("App/renamed.exe")), 2);
  EXPECT_FALSE(table.inUse(program));

  ::kill(a, SIGKILL);  // a zombie until reaped: not running any more
  EXPECT_TRUE(platform_testing::eventually([&] { return table.liveCount(m.hostC("App/renamed.exe")) == 1; }));
  EXPECT_FALSE(platform::fileExists(m.stateDir() + "/proc/" + std::to_string(a)));
  ::kill(b, SIGKILL);
  reap(a);
  reap(b);
  EXPECT_FALSE(table.inUse(m.hostC("App/renamed.exe")));
}

TEST(ProcTableTest, ReusedPidsAndMalformedEntriesAreSwept) {
  TestMachine m;
  std::string dir = m.stateDir() + "/proc/";
  std::string self = std::to_string(::getpid());
  pid_t parent = ::getppid();
  ASSERT_TRUE(platform::writeFileAtomic(
      dir + std::to_string(parent), std::to_string(parent) + "\t1\t0\t0\t/bin/sh\tC:\\X.EXE\n"));  // wrong start time
  ASSERT_TRUE(platform::writeFileAtomic(dir + "999999999", "not an entry\n"));
  auto live = m.machine().processTable().live();
  ASSERT_EQ(live.size(), 1u);
  EXPECT_EQ(std::to_string(live[0].pid), self);
  EXPECT_FALSE(platform::fileExists(dir + std::to_string(parent)));
  EXPECT_FALSE(platform::fileExists(dir + "999999999"));
}

TEST(ProcTableTest, WaitNoProcessEndsWhenTheLastChildEnds) {
  TestMachine m;
  auto& table = m.machine().processTable();
  m.makeFile("a.exe");
  pid_t waiting = startChild();
  ASSERT_TRUE(table.add(waiting, m.hostC("a.exe"), "C:\\A.EXE"));
  EXPECT_FALSE(table.waitNoProcess(50));
  ::kill(waiting, SIGKILL);
  pid_t quick = startChild(30);
  ASSERT_TRUE(table.add(quick, m.hostC("a.exe"), "C:\\A.EXE"));
  EXPECT_TRUE(table.waitNoProcess(10000));
  reap(waiting);
  reap(quick);
}

TEST(ProcTableTest, LivenessFollowsTheKernel) {
  EXPECT_TRUE(win::processAlive(::getpid()));
  EXPECT_TRUE(win::processAlive(::getpid(), win::processStartTime(::getpid())));
  EXPECT_FALSE(win::processAlive(::getpid(), win::processStartTime(::getpid()) + 1));
  EXPECT_FALSE(win::processAlive(0));
  EXPECT_FALSE(win::processAlive(999999999));
}

}  // namespace
