// The real programs on the fixed console port: start texts, the text log and
// its marker, the event sink and registry, a second instance, the service
// stop and what it leaves, and the accept queue.
#include <arpa/inet.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform/net.h"
#include "platform/registry.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"
#include "server/protocol.h"
#include "server/tests/leftover_files.h"
#include "server/tests/support/test_console.h"

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

class ProgramsTest : public ::testing::Test {
 protected:
  std::vector<std::pair<std::string, std::string>> env() { return {{"IDS_PLATFORM_DIR", state.path()}}; }
  platform_testing::TempDir work, state;
};

TEST_F(ProgramsTest, ConsoleProgramPrintsStartTextAndServesWithItsLog) {
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

TEST_F(ProgramsTest, LogStaysOffUntilMarkerAppearsThenNextConnectionLogs) {
  ChildProcess cvlm(CVLM_BINARY, work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  EXPECT_FALSE(platform::fileExists(work.file("LM-LOG.txt")));
  std::ofstream(work.file("enlmlog.sig")).put('x');
  int fd = platform::connectTo(kLoopback, 7593, 500);
  ASSERT_GE(fd, 0);
  ::close(fd);  // the connection thread logs its short header read
  EXPECT_TRUE(eventually([&] { return readText(work.file("LM-LOG.txt")).find("recvFromUI") != std::string::npos; }));
}

TEST_F(ProgramsTest, SecondConsoleProgramFailsToBindAndExitsNonZero) {
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

TEST_F(ProgramsTest, ServiceKeepsFilesBesideItsProgramAndStopsOnSigterm) {
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

TEST_F(ProgramsTest, ServiceThatCannotListenReportsAnErrorAndFails) {
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

namespace {

// The service program copied into its own directory, where it keeps its files.
class ServiceProgram {
 public:
  ServiceProgram() {
    std::filesystem::copy_file(CVLM_SERVICE_BINARY, program());
    std::filesystem::permissions(program(), std::filesystem::perms::owner_all);
    std::ofstream(dir.file("enlmlog.sig")).put('x');
  }
  std::string program() const { return dir.file("cvlmService"); }
  std::string log() const { return readText(dir.file("LM-LOG.txt")); }
  platform_testing::TempDir dir;
};

// A stop while requests still run: the lock files their threads hold and
// the temporary files they write are gone when the service has exited, so
// the next start serves at once; a lock left by an earlier crash is not the
// service's and stays.
TEST_F(ProgramsTest, StoppedServiceLeavesNoLockOrTemporaryFileOfItsThreads) {
  ServiceProgram service;
  const std::string crashLeft = "Address.127.0.0.9.bk.tmp.lck";
  std::ofstream(service.dir.file(crashLeft)).flush();
  {
    ChildProcess running(service.program(), work.path(), env());
    ASSERT_TRUE(eventually(consoleAccepts));
    // A book upload that holds the book's lock while it waits for the left lock.
    cvlm_testing::TestConsole book(7593);
    cvlm::RqH upload = cvlm_testing::uploadBookHeader(2, 1, 116, platform::parseAddress("127.0.0.9"));
    ASSERT_TRUE(book.sendHeader(upload));
    ASSERT_TRUE(book.sendUnit(std::string(116, 'a')));
    // A file upload of ".acl" that stops half way.
    cvlm_testing::TestConsole file(7593);
    cvlm::RqH put = cvlm_testing::fileHeader(cvlm::RQ_UploadFile, ".acl", 1000);
    ASSERT_TRUE(file.sendHeader(put));
    ASSERT_TRUE(file.sendUnit(std::string(900, 'x')));
    ASSERT_TRUE(eventually([&] {
      return platform::fileExists(service.dir.file("Address.127.0.0.9.bk.lck")) &&
             service.log().find("Dispatcher::uploadFile::filename=.acl , fileSize=1000") != std::string::npos;
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    running.signal(SIGTERM);
    EXPECT_EQ(running.waitExit(10000), 0);
  }
  EXPECT_EQ(cvlm_testing::lockAndTemporaryFiles(service.dir.path()), std::vector<std::string>{crashLeft});
  EXPECT_EQ(readText(service.dir.file(".acl")).size(), 288u);  // the built-in accounts, untouched

  ChildProcess again(service.program(), work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  cvlm_testing::TestConsole console(7593, cvlm_testing::kLoopback, 2000);
  auto hello = console.request(cvlm::RQ_Hello);
  ASSERT_TRUE(hello);
  EXPECT_EQ(cvlm_testing::resultType(*hello), 1);
  again.signal(SIGTERM);
  EXPECT_EQ(again.waitExit(10000), 0);
}

// Consoles that connect together while the server takes none wait in its
// accept queue: none has its connect dropped and retried a second later.
TEST_F(ProgramsTest, BurstOfThirtyTwoConsolesIsQueuedWhileTheServerAcceptsNone) {
  ChildProcess cvlm(CVLM_BINARY, work.path(), env());
  ASSERT_TRUE(eventually(consoleAccepts));
  cvlm.signal(SIGSTOP);
  constexpr int kConsoles = 32;
  std::vector<pollfd> connects;
  for (int i = 0; i < kConsoles; ++i) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_port = htons(7593);
    sa.sin_addr.s_addr = kLoopback;
    ::connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    connects.push_back({fd, POLLOUT, 0});
  }
  // Well inside the first retransmission of a dropped connect.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
  int established = 0;
  while (established < kConsoles && std::chrono::steady_clock::now() < deadline) {
    ::poll(connects.data(), connects.size(), 20);
    established = 0;
    for (const pollfd& p : connects) {
      int error = -1;
      socklen_t length = sizeof error;
      if ((p.revents & POLLOUT) && ::getsockopt(p.fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0)
        ++established;
    }
  }
  cvlm.signal(SIGCONT);
  for (const pollfd& p : connects) ::close(p.fd);
  EXPECT_EQ(established, kConsoles);
}

}  // namespace
