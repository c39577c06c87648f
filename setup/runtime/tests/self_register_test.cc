// Self-registration in this process: programs, PE modules through the support
// program and other modules through OLE, with the kit's probe and doubles; the
// queue's limit and its place at the end of the run.
#include "files/self_register.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "entry/end_of_run.h"
#include "entry/main_state.h"
#include "entry/support_files.h"
#include "files/file_utils.h"
#include "json_reader.h"
#include "kit_machine.h"
#include "log/install_log.h"
#include "script_run.h"
#include "win/files.h"
#include "win_testing/pe_image.h"

namespace {

namespace fs = std::filesystem;

class SelfRegisterTest : public merl_testing::ScriptRunTest {
 protected:
  // A fresh machine with the doubles' config and log, and the log open.
  void start(const std::string& config = "") {
    useScriptMachine("[doubles]\nconfig = $STATE/doubles.ini\nlog = $STATE/doubles.log\n");
    machine().writeText(machine().stateDir() + "/doubles.ini", config);
    load("log text=\"\"\n");
  }
  void put(merl_kit::Double which, const std::string& winPath) {
    std::string hostFile = merl_kit::doubleFile(which);
    std::string host = hostOf(winPath);
    fs::create_directories(fs::path(host).parent_path());
    fs::copy_file(hostFile, host, fs::copy_options::overwrite_existing);
  }
  std::string hostOf(const std::string& winPath) {
    std::string rel = winPath.substr(3);
    for (char& c : rel)
      if (c == '\\') c = '/';
    return machine().hostC(rel);
  }
  std::string systemDirectory() {
    char dir[merl::kPathBufferSize] = {};
    win::GetSystemDirectory(dir, sizeof dir);
    return dir;
  }
  std::vector<merl_kit::JsonValue> doubleCalls(const std::string& name, const std::string& call) {
    std::vector<merl_kit::JsonValue> out;
    for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/doubles.log")))
      if (line["double"].text() == name && line["call"].text() == call) out.push_back(line);
    return out;
  }
  std::string currentDirectory() {
    char dir[merl::kPathBufferSize] = {};
    win::GetCurrentDirectory(sizeof dir, dir);
    return dir;
  }
  static std::vector<std::string> texts(const merl_kit::JsonValue& array) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < array.size(); ++i) out.push_back(array[i].text());
    return out;
  }
};

TEST_F(SelfRegisterTest, AProgramRegistersItselfInItsOwnDirectory) {
  struct Case {
    const char* path;
    bool installed;
    const char* line;
  } cases[] = {
      {"C:\\APP\\SRV.EXE", true, "Self-Register: C:\\APP\\SRV.EXE\r\n"},
      {"C:\\MY APP\\SRV.EXE", true, "Self-Register: C:\\MY APP\\SRV.EXE\r\n"},
      {"C:\\APP\\NONE.EXE", false, "Could not Self-Register: C:\\APP\\NONE.EXE\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    start();
    machine().makeFile("APP/.keep");
    if (c.installed) put(merl_kit::Double::Probe, c.path);
    ASSERT_TRUE(merl::QueueSelfRegister(c.path));
    merl::SelfRegister();
    EXPECT_EQ(logged(), c.line);
    auto starts = doubleCalls("probe", "start");
    ASSERT_EQ(starts.size(), c.installed ? 1u : 0u);
    if (!c.installed) continue;
    EXPECT_EQ(texts(starts[0]["argv"]), (std::vector<std::string>{c.path, "/REGSERVER"}));
    std::string path = c.path;
    EXPECT_EQ(starts[0]["cwd"].text(), path.substr(0, path.rfind('\\')));
  }
}

TEST_F(SelfRegisterTest, APeModuleIsRegisteredByTheSupportProgramsExitCode) {
  struct Case {
    const char* exitCode;
    bool support;
    const char* line;
  } cases[] = {
      {"0", true, "Self-Register: C:\\APP\\A.DLL\r\n"},
      {"1", true, "Could not Self-Register: C:\\APP\\A.DLL\r\n"},
      {"0", false, "Could not Self-Register: C:\\APP\\A.DLL\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.exitCode) + (c.support ? " support" : " none"));
    start(std::string("[probe]\nexit = ") + c.exitCode + "\n");
    machine().makeFile("APP/A.DLL", win_testing::peImage({}));
    if (c.support) {
      put(merl_kit::Double::Probe, "C:\\TEMP\\QDJ1.TMP");
      merl::mainState().supportPaths[merl::kSupportSelfRegister] = "C:\\TEMP\\QDJ1.TMP";
    }
    merl::QueueSelfRegister("C:\\APP\\A.DLL");
    merl::SelfRegister();
    EXPECT_EQ(logged(), c.line);
    auto starts = doubleCalls("probe", "start");
    ASSERT_EQ(starts.size(), c.support ? 1u : 0u);
    if (c.support) {
      EXPECT_EQ(starts[0]["cmdline"].text(), "\"C:\\TEMP\\QDJ1.TMP\" \"C:\\APP\\A.DLL\"");
    }
  }
}

TEST_F(SelfRegisterTest, AnOtherModuleRegistersThroughItsEntryWithOleReady) {
  struct Case {
    const char* name;
    merl_kit::Double module;  // installed as C:\APP\A.DLL
    bool ole2, oc25;
    const char* config;
    bool registered;
    std::size_t registerCalls;
  } cases[] = {
      {"entry returns 0", merl_kit::Double::Regserver, true, true, "", true, 1},
      {"OC25 absent", merl_kit::Double::Regserver, true, false, "", true, 1},
      {"entry returns 1", merl_kit::Double::Regserver, true, true, "[regserver]\nresult = 1\n", false, 1},
      {"no entry", merl_kit::Double::Oc25, true, true, "", false, 0},
      {"OLE2 absent", merl_kit::Double::Regserver, false, true, "", false, 0},
      {"OleInitialize fails", merl_kit::Double::Regserver, true, true, "[ole2]\ninitialize = 1\n", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start(c.config);
    put(c.module, "C:\\APP\\A.DLL");
    if (c.ole2) put(merl_kit::Double::Ole2, systemDirectory() + "\\OLE2.DLL");
    if (c.oc25) put(merl_kit::Double::Oc25, systemDirectory() + "\\OC25.DLL");
    merl::QueueSelfRegister("C:\\APP\\A.DLL");
    merl::SelfRegister();
    EXPECT_EQ(logged(), std::string(c.registered ? "Self-Register: " : "Could not Self-Register: ") + "C:\\APP\\A.DLL\r\n");
    auto calls = doubleCalls("regserver", "DllRegisterServer");
    ASSERT_EQ(calls.size(), c.registerCalls);
    if (!calls.empty()) {
      EXPECT_EQ(calls[0]["cwd"].text(), "C:\\APP");
    }
    if (c.ole2) {
      auto init = doubleCalls("ole2", "OleInitialize");
      ASSERT_EQ(init.size(), 1u);
      EXPECT_TRUE(init[0]["reserved_null"].boolean());
      bool ready = std::string(c.config).find("initialize") == std::string::npos;
      EXPECT_EQ(doubleCalls("ole2", "OleUninitialize").size(), ready ? 1u : 0u);
    }
    // Every library loaded for the registration is released again.
    std::map<std::string, long long> references;
    for (const auto& e : events("library-load")) references[e["path"].text()] = e["refs"].integer();
    for (const auto& e : events("library-free")) references[e["path"].text()] = e["refs"].integer();
    for (const auto& [path, refs] : references) EXPECT_EQ(refs, 0) << path;
    EXPECT_TRUE(!c.ole2 || references.count(systemDirectory() + "\\OLE2.DLL"));
  }
}

TEST_F(SelfRegisterTest, ManualModeShowsEachPathFirstAndAPassEmptiesTheQueue) {
  start();
  setMessage(18, "Registering");
  put(merl_kit::Double::Probe, "C:\\APP\\ONE.EXE");
  put(merl_kit::Double::Probe, "C:\\BIN\\TWO.EXE");
  merl::mainState().showSelfRegistered = true;
  win::SetCurrentDirectory("C:\\TEMP");
  std::string before = currentDirectory();
  merl::QueueSelfRegister("C:\\APP\\ONE.EXE");
  merl::QueueSelfRegister("C:\\BIN\\TWO.EXE");
  merl::SelfRegister();
  EXPECT_EQ(boxes(), (std::vector<std::string>{"Registering|C:\\APP\\ONE.EXE", "Registering|C:\\BIN\\TWO.EXE"}));
  EXPECT_EQ(logged(), "Self-Register: C:\\APP\\ONE.EXE\r\nSelf-Register: C:\\BIN\\TWO.EXE\r\n");
  EXPECT_EQ(currentDirectory(), before);
  EXPECT_TRUE(merl::selfRegisterQueue().entries.empty());
  merl::SelfRegister();
  EXPECT_EQ(doubleCalls("probe", "start").size(), 2u);
  EXPECT_EQ(logged(), "Self-Register: C:\\APP\\ONE.EXE\r\nSelf-Register: C:\\BIN\\TWO.EXE\r\n");
}

TEST_F(SelfRegisterTest, AnEntryPastTheLimitIsLoggedAsNotRegisteredAtOnce) {
  start();
  for (std::size_t i = 0; i < merl::kSelfRegisterLimit; ++i) ASSERT_TRUE(merl::QueueSelfRegister("C:\\APP\\X.DLL"));
  EXPECT_EQ(logged(), "");
  EXPECT_FALSE(merl::QueueSelfRegister("C:\\APP\\LAST.DLL"));
  EXPECT_EQ(logged(), "Could not Self-Register: C:\\APP\\LAST.DLL\r\n");
  EXPECT_EQ(merl::selfRegisterQueue().entries.size(), merl::kSelfRegisterLimit);
}

TEST_F(SelfRegisterTest, TheEndOfARunRegistersBeforeItsFinalLineUnlessCancelled) {
  struct Case {
    int result;
    bool registers;
  } cases[] = {{merl::kGoOn, true}, {merl::kEndMark, true}, {merl::kAbort, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.result);
    start();
    setMessage(1, "Done.");
    merl::SetLogPath("C:\\APP\\INSTALL.LOG");
    put(merl_kit::Double::Probe, "C:\\APP\\SRV.EXE");
    merl::QueueSelfRegister("C:\\APP\\SRV.EXE");
    int exitCode = 0;
    char program[256] = {}, arguments[256] = {};
    merl::EndRun(c.result, &exitCode, program, arguments);
    std::string log = machine().readText(machine().hostC("APP/INSTALL.LOG"));
    std::size_t registered = log.find("Self-Register: C:\\APP\\SRV.EXE\r\n");
    EXPECT_EQ(registered != std::string::npos, c.registers) << log;
    EXPECT_EQ(doubleCalls("probe", "start").size(), c.registers ? 1u : 0u);
    if (c.result == merl::kGoOn) {
      EXPECT_LT(registered, log.find("Done.\r\n")) << log;
    }
  }
}

}  // namespace
