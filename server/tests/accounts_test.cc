// The account file and the six account requests against an in-process
// server: creation, log-in, add/set/delete/change-password, listing, the
// lock, a failed replace, and parallel writers.
#include "server/account_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/faults.h"
#include "platform_testing/child_process.h"
#include "server/constants.h"
#include "server/tests/support/account_requests.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm::AclAccount;
using cvlm_testing::account;
using cvlm_testing::bytesOf;
using cvlm_testing::credentials;
using cvlm_testing::withAccount;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

std::string aclBytes() {
  std::string bytes;
  platform::readWholeFile(".acl", bytes);
  return bytes;
}

std::string builtIns() { return bytesOf(cvlm::builtInAccount(0)) + bytesOf(cvlm::builtInAccount(1)); }

class AccountsTest : public ::testing::Test {
 protected:
  // Sends one request on its own connection; the result type, or -100 when none came.
  int answer(const cvlm::RqH& header, cvlm::MgrRequestResult* out = nullptr) {
    TestConsole console(server.port());
    auto result = console.request(header);
    if (!result) return -100;
    if (out) *out = *result;
    return resultType(*result);
  }
  // The names stored in ".acl", in file order.
  std::vector<std::string> names() {
    std::string bytes = aclBytes();
    std::vector<std::string> out;
    for (std::size_t i = 0; i + 144 <= bytes.size(); i += 144) out.push_back(formats::getText(bytes.data(), i, 30));
    return out;
  }

  TestServer server;
};

TEST_F(AccountsTest, FirstConnectionCreatesTheBuiltInAccountsBeforeTheHeaderIsRead) {
  TestConsole console(server.port());
  ASSERT_TRUE(platform_testing::eventually([] { return aclBytes().size() == 288; }));
  EXPECT_EQ(aclBytes(), builtIns());

  AclAccount first = cvlm::builtInAccount(0), second = cvlm::builtInAccount(1);
  EXPECT_EQ(formats::getText(first.userName, 0, 30), cvlm::kBuiltInOperatorUser);
  EXPECT_EQ(formats::getText(second.password, 0, 30), cvlm::kBuiltInViewerPassword);
  EXPECT_EQ(formats::getInt32(&first, 60), 0);
  EXPECT_EQ(formats::getInt32(&second, 60), 2);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(formats::getInt32(&first, 64 + 4 * i), 2);
    EXPECT_EQ(formats::getInt32(&second, 64 + 4 * i), 0);
  }
  const std::uint8_t address[4] = {192, 168, 168, 63}, mask[4] = {255, 255, 255, 255};
  EXPECT_EQ(std::memcmp(first.address, address, 4), 0);
  EXPECT_EQ(std::memcmp(second.mask, mask, 4), 0);
  EXPECT_EQ(std::memcmp(first.userName + 5, std::string(25, '\0').data(), 25), 0);
}

TEST_F(AccountsTest, BuiltInAccountsAppearWholeOrNotAtAll) {
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, ".acl", 1);
  {
    TestConsole console(server.port());
    EXPECT_TRUE(console.closedByServer());
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::dispatcher::Error to create default acl."));
  EXPECT_FALSE(platform::fileExists(".acl"));
  EXPECT_FALSE(platform::fileExists("acl.tmp"));
  EXPECT_FALSE(platform::fileExists(".acl.lck"));
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword)), 1);
  EXPECT_EQ(aclBytes(), builtIns());
}

TEST_F(AccountsTest, ExistingAccountFileIsNeverRefilled) {
  std::ofstream(".acl", std::ios::binary).flush();  // empty: every account was deleted
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword)), 3);
  EXPECT_EQ(aclBytes(), "");

  std::filesystem::remove(".acl");
  std::filesystem::create_directory(".acl");  // exists but cannot be read as a file
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, "admin", "setup")), 33);
  EXPECT_TRUE(server.logHasLine("Dispatcher::getAcl::ACL file open error\n"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::getAcl::MRR_TYPE_GetAcl_Error"));
  EXPECT_EQ(answer(withAccount(cvlm::RQ_AddAcl, account("new", "pw"))), 39);
  EXPECT_TRUE(std::filesystem::is_directory(".acl"));
  EXPECT_TRUE(std::filesystem::is_empty(".acl"));
}

TEST_F(AccountsTest, LogInAnswersTheStoredRecordOrThree) {
  for (int i : {0, 1}) {
    AclAccount builtIn = cvlm::builtInAccount(i);
    cvlm::MgrRequestResult result;
    ASSERT_EQ(answer(credentials(cvlm::RQ_GetAcl, builtIn.userName, builtIn.password), &result), 1);
    EXPECT_EQ(std::memcmp(result.bytes() + 8, &builtIn, 144), 0);
  }
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, "wrong")), 3);
  EXPECT_TRUE(server.logHasLine("Dispatcher::getAcl::MRR_TYPE_Password_Error"));
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, "nobody", "setup")), 3);
  EXPECT_TRUE(server.logHasLine("Dispatcher::getAcl::ACL account not found."));
  EXPECT_TRUE(server.logHasLine("Dispatcher::getAcl()"));

  // Names fill all 30 bytes: only those 30 are compared.
  std::string longName(30, 'n');
  ASSERT_EQ(answer(withAccount(cvlm::RQ_AddAcl, account(longName, "pw"))), 1);
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, longName, "pw")), 1);
}

TEST_F(AccountsTest, AccountChangesFollowTheirRules) {
  ASSERT_EQ(answer(cvlm_testing::makeHeader(15)), -100);  // creates the file
  const std::string a = bytesOf(cvlm::builtInAccount(0)), b = bytesOf(cvlm::builtInAccount(1));
  AclAccount carol = account("carol", "pw1", 1), dave = account("dave", "pw2", 1);
  AclAccount carolKind5 = account("carol", "pw1", 5), carolOther = account("carol", "other", 7);
  AclAccount carolSet = account("carol", "fresh", 9), ghost = account("ghost", "x");
  const struct {
    const char* what;
    cvlm::RqH header;
    int type;
    std::string acl;  // ".acl" afterwards
  } steps[] = {
      {"add new", withAccount(cvlm::RQ_AddAcl, carol), 1, a + b + bytesOf(carol)},
      {"add second", withAccount(cvlm::RQ_AddAcl, dave), 1, a + b + bytesOf(carol) + bytesOf(dave)},
      {"add same password overwrites", withAccount(cvlm::RQ_AddAcl, carolKind5), 1,
       a + b + bytesOf(carolKind5) + bytesOf(dave)},
      {"add other password refused", withAccount(cvlm::RQ_AddAcl, carolOther), 3,
       a + b + bytesOf(carolKind5) + bytesOf(dave)},
      {"set without password check", withAccount(cvlm::RQ_SetAcl, carolSet), 1,
       a + b + bytesOf(carolSet) + bytesOf(dave)},
      {"set unknown", withAccount(cvlm::RQ_SetAcl, ghost), 3, a + b + bytesOf(carolSet) + bytesOf(dave)},
      {"delete wrong password", credentials(cvlm::RQ_DetAcl, "carol", "pw1"), 3,
       a + b + bytesOf(carolSet) + bytesOf(dave)},
      {"delete unknown", credentials(cvlm::RQ_DetAcl, "ghost", "x"), 3, a + b + bytesOf(carolSet) + bytesOf(dave)},
      {"delete keeps order", credentials(cvlm::RQ_DetAcl, "carol", "fresh"), 1, a + b + bytesOf(dave)},
      {"change password unknown", credentials(cvlm::RQ_ChangePasswd, "ghost", "new"), 3, a + b + bytesOf(dave)},
      {"change password", credentials(cvlm::RQ_ChangePasswd, "dave", "newpw"), 1,
       a + b + bytesOf(account("dave", "newpw", 1))},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(answer(step.header), step.type) << step.what;
    EXPECT_EQ(aclBytes(), step.acl) << step.what;
  }
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, "dave", "newpw")), 1);
  // One compare line per record passed over by the unknown user's scan (3 records then).
  std::string log = server.logText();
  std::size_t compares = 0;
  for (std::size_t at = 0; (at = log.find("] Dispatcher::changePasswd::password compare error.\n", at)) !=
                           std::string::npos;
       ++at)
    ++compares;
  EXPECT_EQ(compares, 3u + 2u);  // 3 for "ghost", 2 passed over before "dave"
  EXPECT_TRUE(server.logHasLine("Dispatcher::changePasswd::MRR_TYPE_Password_Error"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::addAcl::MRR_TYPE_Password_Error"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::setAcl::ACL account not found."));
  EXPECT_TRUE(server.logHasLine("Dispatcher::detAcl::MRR_TYPE_Password_Error"));

  // Deleting every account leaves an empty file that stays empty.
  EXPECT_EQ(answer(credentials(cvlm::RQ_DetAcl, "dave", "newpw")), 1);
  EXPECT_EQ(answer(credentials(cvlm::RQ_DetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword)), 1);
  EXPECT_EQ(answer(credentials(cvlm::RQ_DetAcl, cvlm::kBuiltInViewerUser, cvlm::kBuiltInViewerPassword)), 1);
  EXPECT_EQ(aclBytes(), "");
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword)), 3);
  EXPECT_TRUE(platform::fileExists(".acl"));
  EXPECT_EQ(aclBytes(), "");
}

TEST_F(AccountsTest, AddAppendsAfterTheLastWholeRecord) {
  std::ofstream(".acl", std::ios::binary) << builtIns() << std::string(50, 'p');  // a partial tail
  AclAccount eve = account("eve", "pw");
  EXPECT_EQ(answer(withAccount(cvlm::RQ_AddAcl, eve)), 1);
  EXPECT_EQ(aclBytes(), builtIns() + bytesOf(eve));
}

// Past the most accounts ".acl" may hold the file would no longer be read:
// the add that would pass it is refused and the file stays readable.
TEST_F(AccountsTest, AddBeyondTheMostAccountsIsRefusedAndTheFileStaysReadable) {
  std::string full;
  for (int i = 0; i < cvlm::kMaxAclAccounts; ++i) full += bytesOf(account("user" + std::to_string(i), "pw"));
  ASSERT_TRUE(platform::writeFileAtomic(".acl", full));
  EXPECT_EQ(answer(withAccount(cvlm::RQ_AddAcl, account("one-more", "pw"))), 39);
  EXPECT_TRUE(server.logHasLine("Dispatcher::addAcl::MRR_TYPE_AddAcl_Error"));
  EXPECT_EQ(answer(withAccount(cvlm::RQ_AddAcl, account("user0", "pw", 7))), 1);  // a replace still lands
  std::string last = "user" + std::to_string(cvlm::kMaxAclAccounts - 1);
  EXPECT_EQ(answer(credentials(cvlm::RQ_GetAcl, last, "pw")), 1);
  EXPECT_EQ(aclBytes().size(), full.size());
}

TEST_F(AccountsTest, ListingSendsTheCountThenEachRecordAsItsOwnUnit) {
  AclAccount frank = account("frank", "pw");
  ASSERT_EQ(answer(withAccount(cvlm::RQ_AddAcl, frank)), 1);
  {
    TestConsole console(server.port());
    auto result = console.request(cvlm::RQ_GetAllAcl);
    ASSERT_TRUE(result);
    EXPECT_EQ(resultType(*result), 1);
    ASSERT_EQ(formats::getInt32(&*result, 8), 3);
    std::string expected[3] = {bytesOf(cvlm::builtInAccount(0)), bytesOf(cvlm::builtInAccount(1)), bytesOf(frank)};
    for (const std::string& record : expected) EXPECT_EQ(console.receiveUnit(144), record);
    EXPECT_TRUE(console.closedByServer());
  }
  std::ofstream(".acl", std::ios::binary).flush();
  TestConsole console(server.port());
  auto result = console.request(cvlm::RQ_GetAllAcl);
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(formats::getInt32(&*result, 8), 0);
  EXPECT_TRUE(console.closedByServer());
  EXPECT_TRUE(server.logHasLine("Dispatcher::getAllAcl()"));
}

TEST_F(AccountsTest, NoAccountRequestIsAnsweredWhileTheFileIsLocked) {
  ASSERT_EQ(answer(cvlm_testing::makeHeader(15)), -100);  // creates the file
  std::ofstream(".acl.lck").flush();
  TestConsole reader(server.port()), writer(server.port());
  ASSERT_TRUE(reader.sendHeader(credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword)));
  ASSERT_TRUE(writer.sendHeader(withAccount(cvlm::RQ_AddAcl, account("gina", "pw"))));
  EXPECT_TRUE(reader.silentFor(400));
  EXPECT_TRUE(writer.silentFor(1));
  std::filesystem::remove(".acl.lck");
  auto read = reader.receiveResult(), written = writer.receiveResult();
  ASSERT_TRUE(read && written);
  EXPECT_EQ(resultType(*read), 1);
  EXPECT_EQ(resultType(*written), 1);
  EXPECT_EQ(names().back(), "gina");
}

TEST_F(AccountsTest, FailedReplaceDuringDeleteLeavesTheFileAndAnswers41) {
  ASSERT_EQ(answer(withAccount(cvlm::RQ_AddAcl, account("hank", "pw"))), 1);
  const std::string before = aclBytes();
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, ".acl", 1);
  EXPECT_EQ(answer(credentials(cvlm::RQ_DetAcl, "hank", "pw")), 41);
  EXPECT_EQ(aclBytes(), before);
  EXPECT_TRUE(server.logHasLine("Dispatcher::detAcl::MRR_TYPE_DelAcl_Error"));
  EXPECT_FALSE(platform::fileExists("acl.tmp"));
  EXPECT_FALSE(platform::fileExists(".acl.lck"));
  EXPECT_EQ(answer(credentials(cvlm::RQ_DetAcl, "hank", "pw")), 1);
}

TEST_F(AccountsTest, ParallelAddsOfDistinctUsersAllLand) {
  std::vector<std::thread> clients;
  std::vector<int> answers(20, -1);
  for (int i = 0; i < 20; ++i)
    clients.emplace_back(
        [&, i] { answers[i] = answer(withAccount(cvlm::RQ_AddAcl, account("user" + std::to_string(i), "pw"))); });
  for (auto& t : clients) t.join();
  for (int i = 0; i < 20; ++i) EXPECT_EQ(answers[i], 1) << i;
  auto stored = names();
  EXPECT_EQ(stored.size(), 22u);
  for (int i = 0; i < 20; ++i)
    EXPECT_NE(std::find(stored.begin(), stored.end(), "user" + std::to_string(i)), stored.end()) << i;
  for (const auto& entry : std::filesystem::directory_iterator("."))
    EXPECT_NE(entry.path().extension(), ".lck") << entry.path();
}

TEST_F(AccountsTest, MixedParallelRequestsKeepEveryAnsweredAccount) {
  constexpr int kClients = 8, kRequestsPerClient = 25;
  // Each client works on its own users, so its own answers tell what must be stored.
  std::vector<std::map<std::string, bool>> expectPresent(kClients);
  std::vector<std::thread> clients;
  for (int c = 0; c < kClients; ++c) {
    clients.emplace_back([&, c] {
      std::mt19937 random(static_cast<unsigned>(c));
      auto& present = expectPresent[c];
      for (int k = 0; k < kRequestsPerClient; ++k) {
        std::string name = "c" + std::to_string(c) + "u" + std::to_string(random() % 4);
        switch (random() % 5) {
          case 0:
          case 1:
            if (answer(withAccount(cvlm::RQ_AddAcl, account(name, "pw"))) == 1) present[name] = true;
            break;
          case 2:
            answer(withAccount(cvlm::RQ_SetAcl, account(name, "pw", 3)));
            break;
          case 3:
            if (k % 2) answer(credentials(cvlm::RQ_ChangePasswd, name, "pw"));
            else if (answer(credentials(cvlm::RQ_DetAcl, name, "pw")) == 1) present[name] = false;
            break;
          default: {
            TestConsole console(server.port());
            auto result = console.request(cvlm::RQ_GetAllAcl);
            if (result)
              for (int i = 0; i < formats::getInt32(&*result, 8); ++i) console.receiveUnit(144);
          }
        }
      }
    });
  }
  for (auto& t : clients) t.join();
  std::string bytes = aclBytes();
  EXPECT_EQ(bytes.size() % 144, 0u);
  auto stored = names();
  for (const auto& present : expectPresent)
    for (const auto& [name, isPresent] : present)
      EXPECT_EQ(std::count(stored.begin(), stored.end(), name), isPresent ? 1 : 0) << name;
}

}  // namespace
