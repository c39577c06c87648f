// Text log: line format, the marker switch, cut messages, parallel writers.
#include "server/log.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"
#include "platform_testing/temp_dir.h"

namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    cvlm::setLogFileName("LM-LOG.txt");
    std::ofstream(dir.file("enlmlog.sig")).put('x');
    cvlm::setLogSwitchFromMarker();
  }
  void TearDown() override {
    ::unlink("enlmlog.sig");
    cvlm::setLogSwitchFromMarker();
  }
  std::vector<std::string> lines() {
    std::ifstream in("LM-LOG.txt");
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
  }
  platform_testing::TempDir dir;
  platform_testing::ScopedEnv env{"IDS_PLATFORM_DIR", dir.path()};
  platform_testing::ScopedCwd cwd{dir.path()};
};

TEST_F(LogTest, WritesStampedLinesAndCutsLongMessages) {
  cvlm::writeLog("hello");
  cvlm::writeLog(std::string(cvlm::kLogMessageMax, 'a'));
  cvlm::writeLog(std::string(500, 'b'));
  auto l = lines();
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0].substr(0, 2), "[ ");
  EXPECT_EQ(l[0].substr(26), " ] hello");
  EXPECT_EQ(l[1].size() + 1, static_cast<std::size_t>(cvlm::kLogLineMax));
  EXPECT_EQ(l[2].size() + 1, static_cast<std::size_t>(cvlm::kLogLineMax));
  EXPECT_EQ(l[2].back(), 'b');
}

TEST_F(LogTest, MarkerSwitchesTheLogOnAndOff) {
  ::unlink("enlmlog.sig");
  cvlm::setLogSwitchFromMarker();
  cvlm::writeLog("dropped");
  EXPECT_FALSE(platform::fileExists("LM-LOG.txt"));
  std::ofstream("enlmlog.sig").put('x');
  cvlm::setLogSwitchFromMarker();
  cvlm::writeLog("kept");
  ASSERT_EQ(lines().size(), 1u);
}

TEST_F(LogTest, UnopenableLogTurnsTheSwitchOffWithOneEvent) {
  cvlm::setLogFileName(dir.file("missing/LM-LOG.txt"));
  cvlm::writeLog("one");
  cvlm::writeLog("two");
  EXPECT_FALSE(cvlm::logSwitch());
  std::string events;
  ASSERT_TRUE(platform::readWholeFile(dir.file("eventlog/IDSLumarel.log"), events));
  EXPECT_NE(events.find("\tinformation\tLogFile Can't Open!\n"), std::string::npos);
  EXPECT_EQ(events.find("LogFile Can't Open!"), events.rfind("LogFile Can't Open!"));
}

TEST_F(LogTest, ParallelWritersNeverInterleaveInsideALine) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 100; ++i) cvlm::writeLog(std::string(150, static_cast<char>('a' + t)));
    });
  for (auto& th : threads) th.join();
  auto l = lines();
  ASSERT_EQ(l.size(), 800u);
  for (auto& line : l) {
    std::string msg = line.substr(29);
    EXPECT_EQ(msg, std::string(150, msg[0]));
  }
}

TEST_F(LogTest, RegistersEventSourceKeyWithItsTwoValues) {
  cvlm::registerEventSource();
  auto key = platform::RegistryKey::open(platform::RegRoot::LocalMachine,
                                         "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\IDSLumarel");
  ASSERT_TRUE(key);
  auto file = key->value("EventMessageFile");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->type, platform::REG_EXPAND_SZ);
  EXPECT_EQ(file->text(), std::filesystem::current_path().string() + "/cvlm.exe");
  auto types = key->value("TypesSupported");
  ASSERT_TRUE(types);
  EXPECT_EQ(types->type, platform::REG_DWORD);
  EXPECT_EQ(types->dword(), 7u);
}

TEST_F(LogTest, EventSourceRegistersBesideTheInstallersKeysAndKeepsThem) {
  // Lines the emulated Windows machine writes: another root, a string list, bytes of a string without terminator.
  const std::string installer =
      "K\t4\tSystem\nK\t4\tSystem\\\\Setup\nV\t4\tSystem\\\\Setup\tList\t7\ta\\0b\\0\\0\n"
      "B\t4\tSystem\\\\Setup\tOdd\t1\t6162\n";
  ASSERT_TRUE(platform::writeFileAtomic(platform::registryStorePath(), installer));
  cvlm::registerEventSource();
  auto key = platform::RegistryKey::open(platform::RegRoot::LocalMachine,
                                         "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\IDSLumarel");
  ASSERT_TRUE(key);
  EXPECT_EQ(key->value("TypesSupported")->dword(), 7u);
  std::string after;
  ASSERT_TRUE(platform::readWholeFile(platform::registryStorePath(), after));
  EXPECT_EQ(after.substr(0, installer.size()), installer);
}

TEST_F(LogTest, CorruptRegistryStoreIsLoggedAndLeftAsItIs) {
  const std::string store = "K\t0\tSYSTEM\nV\t0\tSYSTEM\tBad\t3\tnot hex\n";
  ASSERT_TRUE(platform::writeFileAtomic(platform::registryStorePath(), store));
  ::testing::internal::CaptureStdout();
  EXPECT_NO_THROW(cvlm::registerEventSource());
  std::fflush(stdout);
  std::string printed = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(printed, "Could not create the registry key.\nRegistry error 1015: " + platform::registryStorePath() +
                         " line 2 does not parse\n");
  std::string after;
  ASSERT_TRUE(platform::readWholeFile(platform::registryStorePath(), after));
  EXPECT_EQ(after, store);
}

}  // namespace
