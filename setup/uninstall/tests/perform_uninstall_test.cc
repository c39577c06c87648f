// The undo steps over a log read in this process: the progress texts in step
// order, what a rollback leaves alone, custom choices, cancel, the sub-system,
// self-registration and the log itself.
#include "undo/perform_uninstall.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "log/log_reader.h"
#include "program_run.h"
#include "run_state.h"
#include "start/main_window.h"
#include "start/platform_info.h"
#include "undo/progress_text.h"
#include "undo/shared_question.h"
#include "win/error.h"
#include "win/library.h"
#include "win/registry.h"
#include "win/services.h"
#include "win/system.h"
#include "win/window.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

const std::string kHeader = "***  Installation Started 02/25/2003 14:05  ***\r\nTitle: Demo\r\n";

std::string lines(const std::vector<std::string>& body) {
  std::string out;
  for (const auto& l : body) out += l + "\r\n";
  return out;
}

// The wizard's action texts with the virtual time each came at.
struct Shown {
  std::string text;
  win::DWORD at;
};
std::vector<Shown>& shownTexts() {
  static std::vector<Shown> texts;
  return texts;
}

win::LRESULT recorderProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (message == win::WM_SETTEXT) shownTexts().push_back({reinterpret_cast<const char*>(lParam), win::GetTickCount()});
  return win::DefWindowProc(window, message, wParam, lParam);
}

class UndoTest : public ::testing::Test {
 protected:
  void use(const std::string& ini = "") {
    machine_.reset();
    machine_ = std::make_unique<TestMachine>(std::string(remvex_tests::kUiIni) + ini);
    TestMachine::writeText(machine_->stateDir() + "/answers.txt", answers_);
    remvex::Run() = remvex::RunState();
    remvex::Progress() = remvex::UndoProgress();
    shownTexts().clear();
    const remvex::PlatformInfo platform = remvex::DetectPlatform();
    remvex::Run().platform = platform.platform;
    remvex::Run().newShell = platform.newShell;
    remvex::Run().silent = true;
    const std::string title = "Uninstall";
    remvex::RegisterMainClass(win::GetModuleHandle(nullptr));
    remvex::CreateMainWindow(win::GetModuleHandle(nullptr), 0, &title, false);
    remvex::Run().mainWindow = remvex::MainWindow();
  }
  // A wizard stand-in whose action control records what it is given.
  void openWizard() {
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = recorderProc;
    wc.lpszClassName = "ActionRecorder";
    win::RegisterClass(&wc);
    win::HWND wizard = win::CreateWindowEx(0, "QDTXUninstall", "wizard", 0, 0, 0, 400, 300, nullptr, nullptr,
                                           nullptr, nullptr);
    win::CreateWindowEx(0, "ActionRecorder", "", win::WS_CHILD, 0, 0, 100, 30, wizard,
                        reinterpret_cast<win::HMENU>(static_cast<std::uintptr_t>(1004)), nullptr, nullptr);
    remvex::Run().wizard = wizard;
  }
  remvex::LogState read(const std::string& log, const char* at = "APP/INSTALL.LOG") {
    machine_->makeFile(at, log);
    remvex::ReaderSettings settings;
    settings.platform = remvex::Run().platform;
    settings.newShell = remvex::Run().newShell;
    remvex::LogState state;
    EXPECT_EQ(remvex::ReadInstallLog(windowsPath(at), settings, state), 0);
    return state;
  }
  void undo(remvex::LogState& state, const char* at = "APP/INSTALL.LOG") {
    remvex::PerformUninstall(windowsPath(at), state);
  }
  static std::string windowsPath(std::string at) {
    for (char& c : at)
      if (c == '/') c = '\\';
    return "C:\\" + at;
  }
  bool exists(const std::string& relative) const { return std::filesystem::exists(machine_->hostC(relative)); }
  std::string host(const std::string& relative) const { return TestMachine::readText(machine_->hostC(relative)); }
  void TearDown() override {
    remvex::Run() = remvex::RunState();
    remvex::Progress() = remvex::UndoProgress();
  }

  std::string answers_;
  std::unique_ptr<TestMachine> machine_;
};

TEST_F(UndoTest, ProgressTextsComeInStepOrder) {
  use("[services]\nDemoSvc = running\n");
  openWizard();
  const std::string file = "C:\\PROGRAM FILES\\SAMPLE VENDOR\\SAMPLE APP\\BIN\\README.TXT";
  const std::string key = "Software\\Sample Vendor\\Sample Application\\Settings\\Window";
  machine_->makeFile("PROGRAM FILES/SAMPLE VENDOR/SAMPLE APP/BIN/README.TXT", "x");
  machine_->makeFile("APP/DEMO.INI", "[a]\r\nb=new\r\n");
  machine_->makeFile("APP/OTHER.INI", "[a]\r\nb=new\r\n");
  auto state = read(kHeader + lines({"Create Service: DemoSvc", "INI New: x", "INI File: C:\\APP\\DEMO.INI",
                                     "INI File: C:\\APP\\OTHER.INI", "INI Sect: a", "INI Item: b", "INI Val: new",
                                     "INI Old: old", "File Copy: " + file, "RegDB Key: " + key, "RegDB Val: 1",
                                     "RegDB Root: 2", "RegDB Tree: Software\\Sample Vendor", "RegDB Root: 2"}));
  undo(state);
  std::vector<std::string> texts;
  for (const auto& s : shownTexts()) texts.push_back(s.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "\r\n\r\nDeleting Service:\r\nDemoSvc",
                       "\r\n\r\nRemoving INI File:\r\nC:\\APP\\DEMO.INI",
                       "\r\n\r\nRestoring INI Entry:\r\nC:\\APP\\OTHER.INI",
                       "\r\n\r\nRemoving File:\r\nC:\\...\\SAMPLE APP\\BIN\\README.TXT",
                       "\r\n\r\nRemoving Empty Directories:\r\nC:\\APP",
                       "\r\n\r\nRemoving Registry Key:\r\nSoftware\\Sample Vendor\\Sample Application\\Set...",
                       "\r\n\r\nRemoving Registry Tree:\r\nSoftware\\Sample Vendor",
                   }));
  ASSERT_GE(shownTexts().size(), 2u);
  EXPECT_GE(shownTexts()[1].at - shownTexts()[0].at, 3500u);  // the wait after a deleted service
  EXPECT_EQ(remvex::Progress().total, 7u);
  EXPECT_EQ(remvex::Progress().done, 7u);
  EXPECT_EQ(host("APP/OTHER.INI"), "[a]\r\nb=old\r\n");
  EXPECT_TRUE(remvex::Progress().shown);
  win::SC_HANDLE manager = win::OpenSCManager(nullptr, nullptr, win::SC_MANAGER_CONNECT);
  EXPECT_EQ(win::OpenService(manager, "DemoSvc", win::SERVICE_QUERY_STATUS), nullptr);
  win::CloseServiceHandle(manager);
}

TEST_F(UndoTest, EmptyListsGiveTotalOneAndNoAction) {
  use();
  openWizard();
  machine_->makeFile("LOG/INSTALL.LOG", kHeader);
  auto state = read(kHeader, "LOG/INSTALL.LOG");
  state.lists.directories.records().clear();
  undo(state, "LOG/INSTALL.LOG");
  EXPECT_EQ(remvex::Progress().total, 1u);
  EXPECT_EQ(remvex::Progress().done, 0u);
  EXPECT_TRUE(shownTexts().empty());
}

TEST_F(UndoTest, RollbackRestoresEveryTextOfTheLatestMultiTextValue) {
  use();
  const std::string group = lines({"RegDB Key: Software\\Demo", "RegDB Val: x", "RegDB Name: List", "RegDB Type: 2",
                                   "RegDB Root: 1"});
  auto state = read(kHeader + group + lines({"RegDB Old: first"}) + kHeader + group +
                    lines({"RegDB Old: a", "RegDB Old: b", "RegDB Old: c"}));
  win::HKEY k = nullptr;
  win::RegCreateKeyEx(win::HKEY_CURRENT_USER, "Software\\Demo", 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &k,
                      nullptr);
  win::RegCloseKey(k);
  remvex::Run().rollback = true;
  undo(state);
  ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_CURRENT_USER, "Software\\Demo", 0, win::KEY_READ, &k), win::ERROR_SUCCESS);
  char bytes[32] = {};
  win::DWORD type = 0, size = sizeof bytes;
  EXPECT_EQ(win::RegQueryValueEx(k, "List", nullptr, &type, reinterpret_cast<win::BYTE*>(bytes), &size),
            win::ERROR_SUCCESS);
  win::RegCloseKey(k);
  EXPECT_EQ(type, win::REG_MULTI_SZ);
  EXPECT_EQ(std::string(bytes, size), std::string("a\0b\0c\0\0", 7));
}

TEST_F(UndoTest, CustomChoiceEmptiesOnlyDirectoriesTheInstallationMade) {
  use();
  machine_->makeFile("DATA/USER.DOC", "the user's");
  machine_->makeFile("APP/DEMO.EXE", "x");
  machine_->makeFile("APP/NOTES.TXT", "made later");
  auto state = read(kHeader + lines({"Made Dir: C:\\APP", "File Copy: C:\\APP\\DEMO.EXE"}), "DATA/INSTALL.LOG");
  remvex::Run().uninstallMode = 1001;
  remvex::Run().rollback = true;  // a custom run never rolls back
  for (auto& r : state.lists.directories.records()) r.selected = 1;
  for (auto& r : state.lists.privateFiles.records()) r.selected = 1;
  undo(state, "DATA/INSTALL.LOG");
  EXPECT_FALSE(exists("APP"));
  EXPECT_TRUE(exists("DATA/USER.DOC"));
  EXPECT_TRUE(exists("DATA/INSTALL.LOG"));  // custom mode keeps the log
}

TEST_F(UndoTest, CancelKeepsTheLogInEveryMode) {
  for (bool rollback : {false, true}) {
    SCOPED_TRACE(rollback ? "rollback" : "full");
    use();
    machine_->makeFile("APP/DEMO.EXE", "x");
    const std::string log = kHeader + lines({"File Copy: C:\\APP\\DEMO.EXE"}) + kHeader;
    auto state = read(log);
    remvex::Run().rollback = rollback;
    remvex::Run().cancel = true;
    undo(state);
    EXPECT_EQ(host("APP/INSTALL.LOG"), log);
    EXPECT_TRUE(exists("APP/DEMO.EXE"));
  }
}

TEST_F(UndoTest, SubSystemIsRemovedOnlyWithTheInstallationThatConfiguredIt) {
  struct Case {
    const char* name;
    bool rollback;
    bool secondHasIt;
    const char* countLeft;
  };
  const Case cases[] = {
      {"rollback of a later installation", true, false, "2"},
      {"rollback of the installation that configured it", true, true, "1"},
      {"full uninstall", false, false, "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use();
    win::HKEY k = nullptr;
    win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", 0, nullptr, 0,
                        win::KEY_ALL_ACCESS, nullptr, &k, nullptr);
    win::RegSetValueEx(k, "UseCount", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>("2"), 2);
    win::RegCloseKey(k);
    auto state = read(kHeader + lines({"SubSystem: BDE"}) + kHeader +
                      (c.secondHasIt ? lines({"SubSystem: BDE"}) : std::string()));
    remvex::Run().rollback = c.rollback;
    undo(state);
    ASSERT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", 0, win::KEY_READ, &k),
              win::ERROR_SUCCESS);
    char text[16] = {};
    win::DWORD type = 0, size = sizeof text;
    win::RegQueryValueEx(k, "UseCount", nullptr, &type, reinterpret_cast<win::BYTE*>(text), &size);
    win::RegCloseKey(k);
    EXPECT_EQ(type, win::REG_SZ);
    EXPECT_STREQ(text, c.countLeft);
  }
}

TEST_F(UndoTest, AbortWhileTheEngineServerRunsStopsAfterTheSubSystem) {
  answers_ = "\"Uninstall\" 3\n";
  use("[windows]\nIB_Server = InterBase Server\n[services]\nDemoSvc = running\n");
  win::HKEY k = nullptr;
  win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", 0, nullptr, 0,
                      win::KEY_ALL_ACCESS, nullptr, &k, nullptr);
  const win::BYTE one[4] = {1, 0, 0, 0};
  win::RegSetValueEx(k, "UseCount", 0, win::REG_DWORD, one, 4);
  win::RegCloseKey(k);
  machine_->makeFile("APP/DEMO.EXE", "x");
  auto state = read(kHeader + lines({"Create Service: DemoSvc", "SubSystem: BDE", "File Copy: C:\\APP\\DEMO.EXE"}));
  undo(state);
  EXPECT_EQ(remvex_tests::transcriptLines(*machine_, {"\"ev\":\"messagebox\"", "\"caption\":\"Uninstall\""}).size(),
            1u);
  EXPECT_TRUE(exists("APP/DEMO.EXE"));
  EXPECT_TRUE(exists("APP/INSTALL.LOG"));
  EXPECT_EQ(win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Borland\\Database Engine", 0, win::KEY_READ, &k),
            win::ERROR_SUCCESS);
  win::RegCloseKey(k);
}

}  // namespace

namespace {

// The doubles' log lines that hold every one of parts.
std::size_t doubleCalls(const TestMachine& m, const std::vector<std::string>& parts) {
  const std::string text = TestMachine::readText(m.stateDir() + "/doubles.log");
  std::size_t n = 0, start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    bool all = true;
    for (const auto& p : parts) all = all && line.find(p) != std::string::npos;
    n += all;
    start = end + 1;
  }
  return n;
}

const char* kDoublesIni = "[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n";

TEST_F(UndoTest, ServersAreUnregisteredAndRestoredOnesRegisteredAgain) {
  struct Case {
    const char* name;
    bool rollback;
    std::vector<std::vector<std::string>> calls;  // parts of doubles' log lines, one line each
    std::vector<std::vector<std::string>> absent;
  };
  const Case cases[] = {
      {"full uninstall",
       false,
       {{"SERVER.EXE /UNREGSERVER"}, {"\"call\":\"DllUnregisterServer\""}},
       {{"/REGSERVER"}, {"\"call\":\"DllRegisterServer\""}}},
      {"rollback of the server's overwrite",
       true,
       {{"SERVER.EXE /REGSERVER"}},
       {{"/UNREGSERVER"}, {"\"call\":\"DllUnregisterServer\""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(kDoublesIni);
    TestMachine::writeText(machine_->stateDir() + "/doubles.ini", "");
    remvex_tests::install(REMVEX_PROBE, machine_->hostC("APP/SERVER.EXE"));
    remvex_tests::install(REMVEX_PROBE, machine_->hostC("APP/BACKUP/SERVER.EXE"));
    remvex_tests::install(REMVEX_COMSERVER_DOUBLE, machine_->hostC("APP/SERVER.DLL"));
    remvex_tests::install(REMVEX_OLE32_DOUBLE, machine_->hostC("WINDOWS/SYSTEM/OLE32.DLL"));
    machine_->makeFile("APP/PLAIN.DLL", "no library");
    auto state = read(kHeader + lines({"File Copy: C:\\APP\\SERVER.EXE", "Self-Register: C:\\APP\\SERVER.EXE",
                                       "File Copy: C:\\APP\\SERVER.DLL", "Self-Register: C:\\APP\\SERVER.DLL",
                                       "File Copy: C:\\APP\\PLAIN.DLL", "Self-Register: C:\\APP\\PLAIN.DLL"}) +
                      kHeader +
                      lines({"File Overwrite: C:\\APP\\SERVER.EXE", "Backup Copy: C:\\APP\\BACKUP\\SERVER.EXE",
                             "Self-Register: C:\\APP\\SERVER.EXE"}));
    remvex::Run().rollback = c.rollback;
    undo(state);
    for (const auto& parts : c.calls) EXPECT_EQ(doubleCalls(*machine_, parts), 1u) << parts[0];
    for (const auto& parts : c.absent) EXPECT_EQ(doubleCalls(*machine_, parts), 0u) << parts[0];
    EXPECT_EQ(doubleCalls(*machine_, {"PLAIN.DLL"}), 0u);
    EXPECT_EQ(exists("APP/SERVER.DLL"), c.rollback);
  }
}

TEST_F(UndoTest, LibraryIsLeftAloneWithoutOle) {
  use(kDoublesIni);
  TestMachine::writeText(machine_->stateDir() + "/doubles.ini", "[ole32]\ninitialize = 0x80004005\n");
  remvex_tests::install(REMVEX_COMSERVER_DOUBLE, machine_->hostC("APP/SERVER.DLL"));
  auto state = read(kHeader + lines({"File Copy: C:\\APP\\SERVER.DLL", "Self-Register: C:\\APP\\SERVER.DLL"}));
  undo(state);  // no OLE32.DLL at all
  EXPECT_EQ(doubleCalls(*machine_, {"\"double\":\"comserver\""}), 0u);
  remvex_tests::install(REMVEX_OLE32_DOUBLE, machine_->hostC("WINDOWS/SYSTEM/OLE32.DLL"));
  remvex_tests::install(REMVEX_COMSERVER_DOUBLE, machine_->hostC("APP/SERVER.DLL"));
  state = read(kHeader + lines({"File Copy: C:\\APP\\SERVER.DLL", "Self-Register: C:\\APP\\SERVER.DLL"}));
  undo(state);  // OleInitialize fails
  EXPECT_EQ(doubleCalls(*machine_, {"\"call\":\"OleInitialize\""}), 1u);
  EXPECT_EQ(doubleCalls(*machine_, {"\"call\":\"DllUnregisterServer\""}), 0u);
}

TEST_F(UndoTest, SharedSystemFilesStayWhileCountedOrKept) {
  struct Case {
    const char* name;
    win::DWORD type;
    std::vector<std::uint8_t> count;
    int answer;          // the question's answer (not silent), 0: silent
    bool fileKept;
    bool valueKept;
  };
  const Case cases[] = {
      {"count of three as text", win::REG_SZ, {'3', 0}, 0, true, true},
      {"last use, silent", win::REG_DWORD, {1, 0, 0, 0}, 0, true, false},
      {"last use, answered Yes", win::REG_DWORD, {1, 0, 0, 0}, 1007, false, false},
      {"last use, answered No", win::REG_DWORD, {1, 0, 0, 0}, 1006, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use();
    remvex::Run().silent = c.answer == 0;
    remvex::SharedFileQuestion() = [&](const std::string&) { return c.answer; };
    machine_->makeFile("WINDOWS/SYSTEM/SHARED.DLL", "x");
    win::HKEY k = nullptr;
    win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0,
                        nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &k, nullptr);
    win::RegSetValueEx(k, "C:\\WINDOWS\\SYSTEM\\SHARED.DLL", 0, c.type, c.count.data(),
                       static_cast<win::DWORD>(c.count.size()));
    auto state = read(kHeader + lines({"File Copy: C:\\WINDOWS\\SYSTEM\\SHARED.DLL"}));
    undo(state);
    EXPECT_EQ(exists("WINDOWS/SYSTEM/SHARED.DLL"), c.fileKept);
    win::DWORD size = 0;
    EXPECT_EQ(win::RegQueryValueEx(k, "C:\\WINDOWS\\SYSTEM\\SHARED.DLL", nullptr, nullptr, nullptr, &size) ==
                  win::ERROR_SUCCESS,
              c.valueKept);
    win::RegCloseKey(k);
    remvex::SharedFileQuestion() = nullptr;
  }
}

TEST_F(UndoTest, IconsOfTheUndoneInstallationsAreRemoved) {
  struct Case {
    const char* name;
    bool rollback;
    const char* left;  // the stand-in's groups afterwards
  };
  const Case cases[] = {
      {"full uninstall", false, ""},
      {"rollback keeps the first installation's icon", true, "[Demo]\nReadme\tC:\\APP\\README.TXT\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use();
    TestMachine::writeText(machine_->stateDir() + "/groups.txt",
                           "[Demo]\nReadme\tC:\\APP\\README.TXT\nDemo\tC:\\APP\\DEMO.EXE\n");
    auto state = read(kHeader +
                      lines({"Icon Group: Demo", "Icon Name: Readme", "Icon Cmd: C:\\APP\\README.TXT"}) +
                      kHeader + lines({"Icon Group: Demo", "Icon Name: Demo", "Icon Cmd: C:\\APP\\DEMO.EXE"}));
    remvex::Run().rollback = c.rollback;
    undo(state);
    EXPECT_EQ(TestMachine::readText(machine_->stateDir() + "/groups.txt"), c.left);
  }
}

TEST_F(UndoTest, ProgramsRunFirstAndAreWaitedFor) {
  use(kDoublesIni);
  openWizard();
  TestMachine::writeText(machine_->stateDir() + "/doubles.ini", "");
  remvex_tests::install(REMVEX_PROBE, machine_->hostC("APP/CLEAN.EXE"));
  remvex_tests::install(REMVEX_PROBE, machine_->hostC("APP/TIDY.EXE"));
  auto state = read(kHeader + lines({"Execute Path: C:\\APP\\CLEAN.EXE", "Execute Name: Cleaner",
                                     "Execute Program: C:\\APP\\TIDY.EXE"}));
  undo(state);
  ASSERT_GE(shownTexts().size(), 2u);
  EXPECT_EQ(shownTexts()[0].text, "\r\n\r\nExecuting External Program:\r\nCleaner");
  EXPECT_EQ(shownTexts()[1].text, "\r\n\r\nExecuting External Program:\r\nC:\\APP\\TIDY.EXE");
  EXPECT_EQ(doubleCalls(*machine_, {"\"call\":\"start\"", "CLEAN.EXE"}), 1u);
  EXPECT_EQ(doubleCalls(*machine_, {"\"call\":\"start\"", "TIDY.EXE"}), 1u);
}

TEST_F(UndoTest, RollbackRestoresEditedFilesFromTheirBackups) {
  use();
  machine_->makeFile("CONFIG.SYS", "edited");
  machine_->makeFile("APP/BACKUP/CONFIG.SYS", "original");
  const std::string log = kHeader + kHeader + lines({"File Edit: C:\\CONFIG.SYS", "Backup Copy: C:\\APP\\BACKUP\\CONFIG.SYS"});
  auto state = read(log);
  undo(state);  // a full uninstall leaves an edited file
  EXPECT_EQ(host("CONFIG.SYS"), "edited");
  state = read(log);
  remvex::Run().rollback = true;
  undo(state);
  EXPECT_EQ(host("CONFIG.SYS"), "original");
  EXPECT_FALSE(exists("APP/BACKUP/CONFIG.SYS"));
}

}  // namespace
