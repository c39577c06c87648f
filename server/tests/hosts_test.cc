// The real programs on the fixed console port: start texts, the text log and
// its marker, the event sink and registry, a second instance, the service stop.
#include <arpa/inet.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "platform/files.h"
#include "platform/net.h"
#include "platform/registry.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"

namespace {

using platform_testing::ChildProcess;
using platform_testing::eventually;

const std::uint32_t kLoopback = htonl(INADDR_LOOPBACK);

std::string readText(const std::string& path) {
  std::string s;
  platform::readWholeFile(path, s);
  return s;
}

bool consoleAccepts() {
  int fd = platform::connectTo(kLoopback, 7593, 500);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

class HostsTest : public ::testing::Test {
 protected:
  std::vector<std::pair<std::string, std::string>> env() { return {{"IDS_PLATFORM_DIR", state.path()}}; }
  platform_testing::TempDir work, state;
};

TEST_F(HostsTest, ConsoleProgramPrintsStartTextAndServesWithItsLog) {
  std::ofstream(work.file("enlmlog.sig")).put('x');
  ChildProcess cvlm(CVLM_BINARY, work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  EXPECT_EQ(cvlm.stdoutText(), "IDS Lumarel started .\nVersion: 1.0 build 2003/02/25\n");
  std::string log = readText(work.file("LM-LOG.txt"));
  std::regex started(R"(^\[ \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4} \] IDS Lumarel Started\. Version: 1\.0 build 2003/02/25
\[ .{24} \] Try to bind server port!
)");
  EXPECT_TRUE(std::regex_search(log, started)) << log;

  std::string events = readText(state.file("eventlog/IDSLumarel.log"));
  EXPECT_NE(events.find("\tIDSLumarel\tinformation\tIDS Lumarel Started. Version: 1.0 build 2003/02/25\n"),
            std::string::npos);
  platform_testing::ScopedEnv scoped("IDS_PLATFORM_DIR", state.path());
  auto key = platform::RegistryKey::open(platform::RegRoot::LocalMachine,
                                         "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\IDSLumarel");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->value("EventMessageFile")->type, platform::REG_EXPAND_SZ);
  EXPECT_EQ(key->value("TypesSupported")->dword(), 7u);
}

TEST_F(HostsTest, LogStaysOffUntilMarkerAppearsThenNextConnectionLogs) {
  ChildProcess cvlm(CVLM_BINARY, work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  EXPECT_FALSE(platform::fileExists(work.file("LM-LOG.txt")));
  std::ofstream(work.file("enlmlog.sig")).put('x');
  int fd = platform::connectTo(kLoopback, 7593, 500);
  ASSERT_GE(fd, 0);
  ::close(fd);  // the connection thread logs its short header read
  EXPECT_TRUE(eventually([&] { return readText(work.file("LM-LOG.txt")).find("recvFromUI") != std::string::npos; }));
}

TEST_F(HostsTest, SecondConsoleProgramFailsToBindAndExitsNonZero) {
  std::ofstream(work.file("enlmlog.sig")).put('x');
  ChildProcess first(CVLM_BINARY, work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  platform_testing::TempDir other;
  std::ofstream(other.file("enlmlog.sig")).put('x');
  ChildProcess second(CVLM_BINARY, other.path(), env());
  EXPECT_EQ(second.waitExit(5000), 1);
  std::string log = readText(other.file("LM-LOG.txt"));
  EXPECT_NE(log.find("] Failed to bind server port!\n"), std::string::npos);
  EXPECT_NE(log.find("] IDS Lumarel exit.\n"), std::string::npos);
  EXPECT_NE(readText(state.file("eventlog/IDSLumarel.log")).find("\tinformation\tIDS Lumarel exit.\n"),
            std::string::npos);
  EXPECT_TRUE(first.running());
  EXPECT_TRUE(consoleAccepts());
}

TEST_F(HostsTest, ServiceKeepsFilesBesideItsProgramAndStopsOnSigterm) {
  platform_testing::TempDir programDir, startDir;
  std::string program = programDir.file("cvlmService");
  std::filesystem::copy_file(CVLM_SERVICE_BINARY, program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  std::ofstream(programDir.file("enlmlog.sig")).put('x');
  {
    ChildProcess service(program, startDir.path(), env());
    ASSERT_TRUE(eventually(consoleAccepts));
    ASSERT_TRUE(eventually([&] {
      return readText(programDir.file("LM-LOG.txt")).find("IDS Lumarel Service Started. Version: 1.0 build 2003/02/25") !=
             std::string::npos;
    }));
    service.signal(SIGTERM);
    EXPECT_EQ(service.waitExit(8000), 0);
  }
  std::string log = readText(programDir.file("LM-LOG.txt"));
  EXPECT_NE(log.find("] IDS Lumarel Service Stopped!\n"), std::string::npos);
  EXPECT_FALSE(platform::fileExists(startDir.file("LM-LOG.txt")));
  std::string events = readText(state.file("eventlog/IDSLumarel.log"));
  EXPECT_NE(events.find("\tinformation\tIDS Lumarel Service Started. Version: 1.0 build 2003/02/25\n"),
            std::string::npos);
  EXPECT_NE(events.find("\tinformation\tIDS Lumarel Service Stopped!\n"), std::string::npos);
  EXPECT_FALSE(consoleAccepts());
}

}  // namespace

namespace {

TEST_F(HostsTest, ServiceThatCannotListenReportsAnErrorAndFails) {
  ChildProcess first(CVLM_BINARY, work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  platform_testing::TempDir programDir;
  std::string program = programDir.file("cvlmService");
  std::filesystem::copy_file(CVLM_SERVICE_BINARY, program);
  std::filesystem::permissions(program, std::filesystem::perms::owner_all);
  std::ofstream(programDir.file("enlmlog.sig")).put('x');
  ChildProcess service(program, work.path(), env());
  EXPECT_EQ(service.waitExit(8000), 1);
  EXPECT_NE(readText(programDir.file("LM-LOG.txt")).find("] Failed to bind server port!\n"), std::string::npos);
  EXPECT_NE(readText(state.file("eventlog/IDSLumarel.log")).find("\terror\t"), std::string::npos);
  EXPECT_TRUE(first.running());
}

}  // namespace
