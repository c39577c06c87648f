// Load run: 8 consoles send 2000 mixed account, host, book, mail and hello
// requests to one in-process server with a fake sensor per console. Each
// console owns its accounts, its host and its book and checks every answer
// against its own model;
// afterwards every state file decodes, no lock or temporary file is left,
// and every change answered 1 is in the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/account_store.h"
#include "server/tests/leftover_files.h"
#include "server/tests/support/fake_sensor.h"
#include "server/tests/support/load_console.h"
#include "server/tests/support/settings_file.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm_testing::FakeSensor;
using cvlm_testing::LoadConsole;

constexpr int kConsoles = 8;
constexpr int kRequests = 2000;

std::string bytesOf(const cvlm::AclAccount& a) { return std::string(reinterpret_cast<const char*>(&a), sizeof a); }

TEST(LoadTest, EightConsolesOfMixedRequestsLeaveWholeFilesWithEveryAnsweredChange) {
  cvlm_testing::TestServer server;
  std::vector<std::unique_ptr<FakeSensor>> sensors;
  std::vector<std::unique_ptr<LoadConsole>> consoles;
  for (int c = 0; c < kConsoles; ++c) {
    sensors.push_back(std::make_unique<FakeSensor>());
    ASSERT_TRUE(sensors.back()->listening());
    consoles.push_back(std::make_unique<LoadConsole>(c, server.port(), *sensors.back()));
  }
  std::atomic<int> next{0};
  std::vector<std::thread> threads;
  for (auto& console : consoles) {
    threads.emplace_back([&next, &console] {
      while (next.fetch_add(1) < kRequests) console->runOne();
    });
  }
  for (auto& t : threads) t.join();

  int answered = 0;
  std::map<std::string, std::string> accounts;
  std::vector<std::string> hosts;
  std::vector<cvlm_testing::MailChange> mailChanges;
  for (int i = 0; i < 2; ++i) accounts[cvlm::builtInAccount(i).userName] = bytesOf(cvlm::builtInAccount(i));
  for (auto& console : consoles) {
    answered += console->answered();
    for (const auto& line : console->mismatches()) ADD_FAILURE() << line;
    console->addModel(accounts, hosts);
    mailChanges.insert(mailChanges.end(), console->mailChanges().begin(), console->mailChanges().end());
  }
  EXPECT_EQ(answered, kRequests);
  EXPECT_EQ(cvlm_testing::lockAndTemporaryFiles(server.path()), std::vector<std::string>{});

  cvlm_testing::StateFiles files = cvlm_testing::readStateFiles(server.path());
  EXPECT_EQ(files.problems, std::vector<std::string>{});
  EXPECT_EQ(files.accounts, accounts);
  std::sort(hosts.begin(), hosts.end());
  std::sort(files.hosts.begin(), files.hosts.end());
  EXPECT_EQ(files.hosts, hosts);
  for (auto& console : consoles)
    EXPECT_EQ(cvlm_testing::fileBytes(server.file(console->bookName())), console->book()) << console->bookName();
  ASSERT_FALSE(mailChanges.empty());
  EXPECT_TRUE(cvlm_testing::mailIsPlausible(files.mail, mailChanges))
      << "the mail settings are none of the last answered changes";
}

}  // namespace
