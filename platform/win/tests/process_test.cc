// Processes: programs run directly with their exact Windows command line,
// argv, current directory, module path and environment view; exit codes,
// STILL_ACTIVE and waits; start errors; the proc table; ShellExecuteEx and
// WinExec; the command line of a program started from the host shell.
#include "win/process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform_testing/child_process.h"
#include "test_programs.h"
#include "win/clock.h"
#include "win/error.h"
#include "win/files.h"
#include "win/outside_input.h"
#include "win_testing/processes.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;
using win_tests::readProbe;

// A machine whose probe writes to <state>/probe.txt and exits with 7.
const char* kProbeIni = "[env]\nPROBE_OUT = $STATE/probe.txt\nPROBE_EXIT = 7\n";

struct Started {
  win::BOOL ok = win::FALSE;
  win::DWORD error = 0;
  win::PROCESS_INFORMATION info{};
};

Started start(const std::string& commandLine, const char* directory = nullptr, const char* application = nullptr,
              void* environment = nullptr) {
  Started s;
  std::string line = commandLine;
  win::STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  s.ok = win::CreateProcess(application, line.data(), nullptr, nullptr, win::FALSE, 0, environment, directory,
                            &startup, &s.info);
  s.error = s.ok ? 0 : win::GetLastError();
  return s;
}

// Waits for the process and returns its exit code (closing both handles).
win::DWORD finish(const Started& s) {
  EXPECT_EQ(win::WaitForSingleObject(s.info.hProcess, win::INFINITE), win::WAIT_OBJECT_0);
  win::DWORD code = 0;
  EXPECT_TRUE(win::GetExitCodeProcess(s.info.hProcess, &code));
  EXPECT_TRUE(win::CloseHandle(s.info.hProcess));
  EXPECT_TRUE(win::CloseHandle(s.info.hThread));
  return code;
}

TEST(ProcessTest, RunsTheProgramWithItsWindowsArgumentsAndNoShell) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "App/probe.exe");
  std::string marker = m.stateDir() + "/shell-ran";
  std::string line = "\"C:\\App\\probe.exe\" a \"b c\" ;rm $(x) \"$(touch " + marker + ")\" `touch " + marker + "`";
  auto s = start(line, "C:\\App");
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_EQ(finish(s), 7u);
  auto out = readProbe(m.stateDir() + "/probe.txt");
  std::vector<std::string> argv{"C:\\App\\probe.exe", "a", "b c", ";rm", "$(x)", "$(touch " + marker + ")",
                                "`touch", marker + "`"};
  EXPECT_EQ(out.all("argv"), argv);
  EXPECT_EQ(out.get("cmdline"), line);
  EXPECT_EQ(out.get("hostcwd"), m.hostC("App"));
  EXPECT_EQ(out.get("cwd"), "C:\\App");
  EXPECT_EQ(out.get("module"), "C:\\App\\probe.exe");
  EXPECT_FALSE(platform::fileExists(marker));
}

TEST(ProcessTest, TheChildInheritsNoDescriptors) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "App/probe.exe");
  int open[2];
  ASSERT_EQ(::pipe(open), 0);  // without close-on-exec
  EXPECT_EQ(finish(start("C:\\App\\probe.exe")), 7u);
  ::close(open[0]);
  ::close(open[1]);
  EXPECT_EQ(readProbe(m.stateDir() + "/probe.txt").get("descriptors"), "0");
}

TEST(ProcessTest, RunsAProgramOfAnyNameAndGivesItTheExecuteBit) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "TEMP/QDJ1234.TMP");
  ::chmod(m.hostC("TEMP/QDJ1234.TMP").c_str(), 0644);
  auto s = start("C:\\TEMP\\QDJ1234.TMP x");
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_EQ(finish(s), 7u);
  struct stat st{};
  ASSERT_EQ(::stat(m.hostC("TEMP/QDJ1234.TMP").c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IXUSR);
  EXPECT_EQ(readProbe(m.stateDir() + "/probe.txt").get("module"), "C:\\TEMP\\QDJ1234.TMP");
}

struct FindCase {
  const char* commandLine;
  const char* application;
  const char* module;
  std::vector<std::string> argv;
};

TEST(ProcessTest, FindsTheProgramAsWindowsDoes) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "WINDOWS/SYSTEM/Probe.exe");
  win_tests::installProbe(m, "Program Files/My App/probe.exe");
  win_tests::installProbe(m, "Work/tool.com");
  m.machine().setCurrentDirectory(*win::parsePath("C:\\Work"));
  const FindCase cases[] = {
      {"probe one", nullptr, "C:\\WINDOWS\\SYSTEM\\Probe.exe", {"probe", "one"}},
      {"PROBE.EXE", nullptr, "C:\\WINDOWS\\SYSTEM\\Probe.exe", {"PROBE.EXE"}},
      {"C:\\Program Files\\My App\\probe.exe a", nullptr, "C:\\Program Files\\My App\\probe.exe",
       {"C:\\Program", "Files\\My", "App\\probe.exe", "a"}},
      {"tool.com b", nullptr, "C:\\Work\\tool.com", {"tool.com", "b"}},
      {"anything at all", "C:\\Work\\tool.com", "C:\\Work\\tool.com", {"anything", "at", "all"}},
  };
  for (const auto& c : cases) {
    auto s = start(c.commandLine, nullptr, c.application);
    ASSERT_TRUE(s.ok) << c.commandLine << " error " << s.error;
    finish(s);
    auto out = readProbe(m.stateDir() + "/probe.txt");
    EXPECT_EQ(out.get("module"), c.module) << c.commandLine;
    EXPECT_EQ(out.all("argv"), c.argv) << c.commandLine;
    EXPECT_EQ(out.get("cwd"), "C:\\Work") << c.commandLine;
  }
}

struct StartErrorCase {
  const char* commandLine;
  const char* directory;
  win::DWORD error;
  win::UINT winExec;
};

TEST(ProcessTest, RefusesWhatIsNoProgram) {
  TestMachine m(kProbeIni);
  std::string marker = m.stateDir() + "/script-ran";
  m.makeFile("App/script.exe", "#!/bin/sh\ntouch " + marker + "\n");
  ::chmod(m.hostC("App/script.exe").c_str(), 0755);
  m.makeFile("App/notes.txt", "just text");
  win_tests::installProbe(m, "App/probe.exe");
  const StartErrorCase cases[] = {
      {"C:\\App\\none.exe", nullptr, win::ERROR_FILE_NOT_FOUND, 2},
      {"none", nullptr, win::ERROR_FILE_NOT_FOUND, 2},
      {"C:\\Nope\\x.exe", nullptr, win::ERROR_PATH_NOT_FOUND, 3},
      {"Q:\\x.exe", nullptr, win::ERROR_PATH_NOT_FOUND, 3},
      {"C:\\App\\script.exe", nullptr, win::ERROR_BAD_EXE_FORMAT, 11},
      {"C:\\App\\notes.txt", nullptr, win::ERROR_BAD_EXE_FORMAT, 11},
      {"C:\\App", nullptr, win::ERROR_ACCESS_DENIED, 0},
      {"\"C:\\App\\a*b.exe\"", nullptr, win::ERROR_INVALID_NAME, 0},
      {"C:\\App\\probe.exe", "C:\\Missing", win::ERROR_DIRECTORY, 0},
      {"C:\\App\\probe.exe", "C:\\App\\notes.txt", win::ERROR_DIRECTORY, 0},
  };
  for (const auto& c : cases) {
    auto s = start(c.commandLine, c.directory);
    EXPECT_FALSE(s.ok) << c.commandLine;
    EXPECT_EQ(s.error, c.error) << c.commandLine;
    if (!c.directory) {
      EXPECT_EQ(win::WinExec(c.commandLine, win::SW_SHOW), c.winExec) << c.commandLine;
    }
  }
  EXPECT_FALSE(platform::fileExists(marker));
  EXPECT_TRUE(win_testing::waitNoProcess());
}

TEST(ProcessTest, ExitCodeIsStillActiveWhileTheProcessRunsAndWaitsLeaveTheClock) {
  TestMachine m("[env]\nPROBE_HOLD = $STATE/release\nPROBE_EXIT = 3\n");
  win_tests::installProbe(m, "App/probe.exe");
  auto s = start("C:\\App\\probe.exe");
  ASSERT_TRUE(s.ok) << s.error;
  win::DWORD code = 0;
  EXPECT_TRUE(win::GetExitCodeProcess(s.info.hProcess, &code));
  EXPECT_EQ(code, win::STILL_ACTIVE);
  win::DWORD ticks = win::GetTickCount();
  auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(win::WaitForSingleObject(s.info.hProcess, 0), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(s.info.hThread, 50), win::WAIT_TIMEOUT);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(50));
  EXPECT_EQ(win::GetTickCount(), ticks);
  win_testing::TestMachine::writeText(m.stateDir() + "/release", "");
  EXPECT_EQ(finish(s), 3u);
  EXPECT_EQ(win::GetTickCount(), ticks);
}

TEST(ProcessTest, TheChildIsInTheProcTableFromItsStartAndItsFileIsBusy) {
  TestMachine m("[env]\nPROBE_HOLD = $STATE/release\n");
  win_tests::installProbe(m, "App/probe.exe");
  auto s = start("C:\\App\\probe.exe");
  ASSERT_TRUE(s.ok) << s.error;
  auto& table = m.machine().processTable();
  EXPECT_TRUE(table.contains(static_cast<pid_t>(s.info.dwProcessId)));
  EXPECT_TRUE(table.inUse(m.hostC("App/probe.exe")));
  bool listed = false;
  for (const auto& e : table.live())
    if (e.pid == static_cast<pid_t>(s.info.dwProcessId)) listed = e.modulePath == "C:\\App\\probe.exe";
  EXPECT_TRUE(listed);
  EXPECT_FALSE(win_testing::waitNoProcess(50));
  EXPECT_FALSE(win::DeleteFile("C:\\App\\probe.exe"));  // a running program's file is busy
  EXPECT_EQ(win::GetLastError(), win::ERROR_SHARING_VIOLATION);
  win_testing::TestMachine::writeText(m.stateDir() + "/release", "");
  EXPECT_EQ(finish(s), 0u);
  EXPECT_TRUE(win_testing::waitNoProcess());
  EXPECT_FALSE(table.inUse(m.hostC("App/probe.exe")));
  EXPECT_TRUE(win::DeleteFile("C:\\App\\probe.exe"));
}

TEST(ProcessTest, TerminateSetsTheExitCodeOnce) {
  TestMachine m("[env]\nPROBE_HOLD = $STATE/never\n");
  win_tests::installProbe(m, "App/probe.exe");
  auto s = start("C:\\App\\probe.exe");
  ASSERT_TRUE(s.ok) << s.error;
  EXPECT_TRUE(win::TerminateProcess(s.info.hProcess, 9));
  EXPECT_FALSE(win::TerminateProcess(s.info.hProcess, 10));
  EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED);
  EXPECT_EQ(finish(s), 9u);
}

std::atomic<bool> outsideInput{false};
bool outsideInputQuery() { return outsideInput.load(); }

TEST(ProcessTest, AWaitReturnsWhenTheThreadHasOutsideInput) {
  TestMachine m("[env]\nPROBE_HOLD = $STATE/release\n");
  win_tests::installProbe(m, "App/probe.exe");
  auto s = start("C:\\App\\probe.exe");
  ASSERT_TRUE(s.ok) << s.error;
  win::setOutsideInputQuery(outsideInputQuery);
  outsideInput = false;
  std::atomic<win::DWORD> result{0xDEAD};
  std::thread waiter([&] { result = win::WaitForSingleObject(s.info.hProcess, win::INFINITE); });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(result.load(), 0xDEADu);
  outsideInput = true;
  win::wakeProcessWaits();
  waiter.join();
  EXPECT_EQ(result.load(), win::WAIT_TIMEOUT);
  EXPECT_EQ(win::WaitForSingleObject(s.info.hProcess, win::INFINITE), win::WAIT_TIMEOUT);
  win::setOutsideInputQuery(nullptr);
  win_testing::TestMachine::writeText(m.stateDir() + "/release", "");
  EXPECT_EQ(finish(s), 0u);
}

TEST(ProcessTest, BadHandlesFailCleanly) {
  TestMachine m;
  win::DWORD code = 0;
  EXPECT_EQ(win::WaitForSingleObject(win::handleFromValue<win::HANDLE>(4000), 0), win::WAIT_FAILED);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_FALSE(win::GetExitCodeProcess(win::handleFromValue<win::HANDLE>(4000), &code));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_TRUE(win::GetExitCodeProcess(win::GetCurrentProcess(), &code));
  EXPECT_EQ(code, win::STILL_ACTIVE);
  win::PROCESS_INFORMATION info{};
  EXPECT_FALSE(win::CreateProcess(nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, &info));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_PARAMETER);
}

TEST(ProcessTest, TheChildInheritsTheEnvironmentViewOrGetsTheGivenBlock) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "App/probe.exe");
  ASSERT_TRUE(win::SetEnvironmentVariable("PROBE_MARK", "from the parent"));
  EXPECT_EQ(finish(start("C:\\App\\probe.exe")), 7u);
  auto out = readProbe(m.stateDir() + "/probe.txt");
  EXPECT_EQ(out.get("env:PROBE_MARK"), "from the parent");
  EXPECT_EQ(out.get("env:COMSPEC"), "C:\\WINDOWS\\SYSTEM\\CMD.EXE");
  EXPECT_EQ(out.get("env:PATH"), "C:\\WINDOWS\\SYSTEM;C:\\WINDOWS");

  std::string block = "PROBE_OUT=" + m.stateDir() + "/block.txt" + std::string(1, '\0') + "probe_mark=line\nbreak" +
                      std::string(2, '\0');
  EXPECT_EQ(finish(start("C:\\App\\probe.exe", nullptr, nullptr, block.data())), 0u);
  auto fromBlock = readProbe(m.stateDir() + "/block.txt");
  EXPECT_EQ(fromBlock.get("env:PROBE_MARK"), "line");
  EXPECT_EQ(fromBlock.get("env:COMSPEC"), "");
}

TEST(ProcessTest, ShellExecuteExRunsTheFileInItsDirectory) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "App/probe.exe");
  m.makeFile("Data/x");
  win::SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = win::SEE_MASK_NOCLOSEPROCESS;
  info.lpFile = "C:\\App\\probe.exe";
  info.lpParameters = "x \"y z\"";
  info.lpDirectory = "C:\\Data";
  info.nShow = win::SW_SHOWNORMAL;
  ASSERT_TRUE(win::ShellExecuteEx(&info)) << win::GetLastError();
  EXPECT_GT(win::handleValue(info.hInstApp), 32u);
  ASSERT_NE(info.hProcess, nullptr);
  EXPECT_EQ(win::WaitForSingleObject(info.hProcess, win::INFINITE), win::WAIT_OBJECT_0);
  auto out = readProbe(m.stateDir() + "/probe.txt");
  EXPECT_EQ(out.get("cmdline"), "\"C:\\App\\probe.exe\" x \"y z\"");
  EXPECT_EQ(out.get("cwd"), "C:\\Data");
  EXPECT_EQ(out.all("argv"), (std::vector<std::string>{"C:\\App\\probe.exe", "x", "y z"}));

  info.lpVerb = "print";
  EXPECT_FALSE(win::ShellExecuteEx(&info));
  EXPECT_EQ(win::handleValue(info.hInstApp), win::SE_ERR_NOASSOC);
  info.lpVerb = nullptr;
  info.lpFile = "C:\\App\\none.exe";
  EXPECT_FALSE(win::ShellExecuteEx(&info));
  EXPECT_EQ(win::handleValue(info.hInstApp), win::SE_ERR_FNF);
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
}

TEST(ProcessTest, WinExecStartsTheCommandLine) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "App/probe.exe");
  EXPECT_GT(win::WinExec("C:\\App\\probe.exe one", win::SW_SHOW), 31u);
  EXPECT_TRUE(win_testing::waitNoProcess());
  EXPECT_TRUE(platform_testing::eventually(
      [&] { return readProbe(m.stateDir() + "/probe.txt").get("cmdline") == "C:\\App\\probe.exe one"; }));
}

TEST(ProcessTest, StartsAndExitsGoToTheTranscript) {
  TestMachine m("[ui]\ntranscript = $STATE/transcript.jsonl\n");
  win_tests::installProbe(m, "App/probe.exe");
  EXPECT_EQ(finish(start("\"C:\\App\\probe.exe\" \"a b\"", "C:\\App")), 0u);
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/transcript.jsonl"),
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"process-start\",\"module\":\"C:\\\\App\\\\probe.exe\","
            "\"cmdline\":\"\\\"C:\\\\App\\\\probe.exe\\\" \\\"a b\\\"\",\"argv\":[\"C:\\\\App\\\\probe.exe\",\"a b\"],"
            "\"cwd\":\"C:\\\\App\"}\n"
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"process-exit\",\"module\":\"C:\\\\App\\\\probe.exe\","
            "\"code\":0}\n");
}

TEST(ProcessTest, AProgramStartedFromTheHostShellGetsItsArgumentsJoined) {
  TestMachine m(kProbeIni);
  win_tests::installProbe(m, "App/probe.exe");
  platform_testing::ChildProcess child(m.hostC("App/probe.exe"), m.stateDir(),
                                       {{"IDS_PLATFORM_DIR", m.stateDir()}}, {"a b", "c", "say \"hi\""});
  EXPECT_EQ(child.waitExit(20000), 7);
  auto out = readProbe(m.stateDir() + "/probe.txt");
  EXPECT_EQ(out.get("cmdline"), "C:\\App\\probe.exe \"a b\" c \"say \\\"hi\\\"\"");
  EXPECT_EQ(out.get("module"), "C:\\App\\probe.exe");
}

TEST(ProcessTest, ADeclaredModulePathIsTheFirstWordOfTheCommandLine) {
  TestMachine m;
  EXPECT_FALSE(win::declareModulePath("not|a path"));
  ASSERT_TRUE(win::declareModulePath("C:\\Setup Dir\\SETUP.EXE"));
  std::string line = win::GetCommandLine();
  EXPECT_EQ(line.rfind("\"C:\\Setup Dir\\SETUP.EXE\"", 0), 0u) << line;
  EXPECT_EQ(win::splitCommandLine(line).front(), "C:\\Setup Dir\\SETUP.EXE");
  EXPECT_EQ(m.machine().programName(), "SETUP.EXE");
}

TEST(ProcessTest, InstanceCounterIsSharedByTheProgramsProcessesAndStartsAgain) {
  TestMachine m("[env]\nPROBE_INSTANCE = 1\nPROBE_HOLD = $STATE/release\n");
  win_tests::installProbe(m, "App/probe.exe");
  EXPECT_EQ(win::incrementInstanceCount(), 0);
  EXPECT_EQ(win::incrementInstanceCount(), 1);
  EXPECT_EQ(win::decrementInstanceCount(), 0);

  auto runProbe = [&](const std::string& out) {
    win::SetEnvironmentVariable("PROBE_OUT", (m.stateDir() + "/" + out).c_str());
    auto s = start("C:\\App\\probe.exe");
    EXPECT_TRUE(s.ok) << s.error;
    EXPECT_TRUE(platform_testing::eventually([&] { return platform::fileExists(m.stateDir() + "/" + out); }, 20000));
    return s;
  };
  auto first = runProbe("first.txt");
  auto second = runProbe("second.txt");
  win_testing::TestMachine::writeText(m.stateDir() + "/release", "");
  finish(first);
  finish(second);
  EXPECT_EQ(readProbe(m.stateDir() + "/first.txt").get("instance"), "0");
  EXPECT_EQ(readProbe(m.stateDir() + "/second.txt").get("instance"), "1");
  finish(runProbe("third.txt"));
  EXPECT_EQ(readProbe(m.stateDir() + "/third.txt").get("instance"), "0");
}

struct VariableCase {
  const char* name;
  win::DWORD size;
  win::DWORD result;
  const char* text;  // nullptr: the buffer is not expected to change
  win::DWORD error;
};

TEST(ProcessTest, EnvironmentViewHasDefaultsAndAnswersWithSizes) {
  TestMachine m("[system]\nplatform = 9x\n[env]\nLANG = de\n");
  ASSERT_TRUE(win::SetEnvironmentVariable("EMPTY", ""));
  ASSERT_TRUE(win::SetEnvironmentVariable("GONE", "x"));
  ASSERT_TRUE(win::SetEnvironmentVariable("gone", nullptr));
  EXPECT_FALSE(win::SetEnvironmentVariable("A=B", "x"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_PARAMETER);
  const VariableCase cases[] = {
      {"COMSPEC", 64, 22, "C:\\WINDOWS\\COMMAND.COM", 0},
      {"comspec", 22, 23, nullptr, 0},
      {"Lang", 3, 2, "de", 0},
      {"EMPTY", 4, 0, "", win::ERROR_SUCCESS},
      {"GONE", 4, 0, nullptr, win::ERROR_ENVVAR_NOT_FOUND},
      {"MISSING", 4, 0, nullptr, win::ERROR_ENVVAR_NOT_FOUND},
  };
  for (const auto& c : cases) {
    char buffer[64] = "unchanged";
    win::SetLastError(0xBEEF);
    EXPECT_EQ(win::GetEnvironmentVariable(c.name, buffer, c.size), c.result) << c.name;
    EXPECT_STREQ(buffer, c.text ? c.text : "unchanged") << c.name;
    if (c.error || c.result == 0) {
      EXPECT_EQ(win::GetLastError(), c.error) << c.name;
    }
  }
}

}  // namespace
