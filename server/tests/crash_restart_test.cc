// The console program killed with SIGKILL at random points while consoles
// change accounts, hosts, books and mail settings, then started again: every state
// file is whole and holds, for each change, either the state before it or
// the state after it; every change answered 1 survives the kill.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"
#include "server/account_store.h"
#include "server/constants.h"
#include "server/tests/leftover_files.h"
#include "server/tests/support/fake_sensor.h"
#include "server/tests/support/load_console.h"
#include "server/tests/support/test_console.h"

namespace {

using cvlm_testing::FakeSensor;
using cvlm_testing::LoadConsole;
using platform_testing::ChildProcess;
using platform_testing::eventually;

constexpr int kRounds = 12;
constexpr int kConsoles = 4;

bool serving() { return cvlm_testing::TestConsole(cvlm::kConsolePort, cvlm_testing::kLoopback, 500).connected(); }

// Starts cvlm once the fixed port is free (another test run may hold it for
// a while) and waits until this program, not another, serves on it.
std::unique_ptr<ChildProcess> startCvlm(const std::string& dir,
                                        const std::vector<std::pair<std::string, std::string>>& env) {
  if (!eventually([] { return !serving(); }, 30000)) return nullptr;
  auto cvlm = std::make_unique<ChildProcess>(CVLM_BINARY, dir, env);
  if (!eventually([&] { return !cvlm->running() || serving(); }) || !cvlm->running()) return nullptr;
  return cvlm;
}

std::string bytesOf(const cvlm::AclAccount& a) { return std::string(reinterpret_cast<const char*>(&a), sizeof a); }

// Removes the lock files a killed server left, as an operator must before a
// restart (a left lock blocks its file's readers for good).
int removeLeftLocks(const std::string& dir) {
  int removed = 0;
  for (const std::string& name : cvlm_testing::lockAndTemporaryFiles(dir)) {
    if (name.ends_with(".lck")) {
      std::filesystem::remove(dir + "/" + name);
      ++removed;
    }
  }
  return removed;
}

TEST(CrashRestartTest, KilledAtRandomPointsEveryStateFileIsTheOldOrTheNewContent) {
  platform_testing::TempDir work, state;
  std::vector<std::pair<std::string, std::string>> env{{"IDS_PLATFORM_DIR", state.path()}};
  std::vector<std::unique_ptr<FakeSensor>> sensors;
  std::vector<std::unique_ptr<LoadConsole>> consoles;
  for (int c = 0; c < kConsoles; ++c) {
    sensors.push_back(std::make_unique<FakeSensor>());
    ASSERT_TRUE(sensors.back()->listening());
    consoles.push_back(std::make_unique<LoadConsole>(c, cvlm::kConsolePort, *sensors.back()));
    consoles.back()->expectServerDeath();
  }

  // The files as the first connections create them.
  std::vector<cvlm_testing::MailChange> baseline;
  {
    auto cvlm = startCvlm(work.path(), env);
    ASSERT_TRUE(cvlm) << "cvlm does not serve on port 7593";
    cvlm_testing::TestConsole console(cvlm::kConsolePort);
    ASSERT_TRUE(console.request(cvlm::RQ_GetEMailInfo));
    cvlm_testing::TestConsole(cvlm::kConsolePort).request(cvlm::RQ_ListCvHost);
    cvlm_testing::StateFiles files = cvlm_testing::readStateFiles(work.path());
    ASSERT_EQ(files.problems, std::vector<std::string>{});
    baseline.push_back({files.mail, {}, cvlm_testing::SteadyTime{}});
  }

  std::mt19937 random(7593);
  int answered = 0, locksLeft = 0;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    auto cvlm = startCvlm(work.path(), env);
    ASSERT_TRUE(cvlm) << "cvlm does not serve on port 7593";
    std::vector<std::thread> threads;
    for (auto& console : consoles) {
      threads.emplace_back([&console] {
        for (int i = 0; i < 5000 && console->runOne(); ++i) {
        }
      });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(10, 150)(random)));
    cvlm->signal(SIGKILL);
    ASSERT_NE(cvlm->waitExit(5000), -1);
    auto killed = std::chrono::steady_clock::now();
    for (auto& t : threads) t.join();

    cvlm_testing::StateFiles files = cvlm_testing::readStateFiles(work.path());
    EXPECT_EQ(files.problems, std::vector<std::string>{});
    for (int i = 0; i < 2; ++i) {
      cvlm::AclAccount builtIn = cvlm::builtInAccount(i);
      EXPECT_EQ(files.accounts[builtIn.userName], bytesOf(builtIn));
    }
    std::vector<cvlm_testing::MailChange> changes = baseline;
    for (auto& console : consoles) {
      for (const auto& line : console->mismatches()) ADD_FAILURE() << line;
      for (const auto& problem : console->checkAndAdopt(files)) ADD_FAILURE() << problem;
      changes.insert(changes.end(), console->mailChanges().begin(), console->mailChanges().end());
    }
    EXPECT_TRUE(cvlm_testing::mailIsPlausible(files.mail, changes)) << "mail settings of no change";
    // A change whose answer was lost took effect exactly when its record is the file's.
    for (auto& console : consoles) {
      auto& mine = console->mailChanges();
      for (auto& c : mine)
        if (!c.answered && c.record == files.mail) c.answered = killed;
      mine.erase(std::remove_if(mine.begin(), mine.end(), [](const auto& c) { return !c.answered; }), mine.end());
    }
    if (HasFailure()) break;
    locksLeft += removeLeftLocks(work.path());
  }
  for (auto& console : consoles) answered += console->answered();
  EXPECT_GT(answered, kRounds);
  std::printf("%d answered requests, %d lock files left by the kills\n", answered, locksLeft);
}

}  // namespace
