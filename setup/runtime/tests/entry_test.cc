// The entry's routines in this process: support-file names and bytes, the /M=
// file, extract names and the restart answers.
#include <memory>
#include <string>

#include "entry/dll_main.h"
#include "entry/extract_files.h"
#include "assembler.h"
#include "entry/main_state.h"
#include "entry/runtime_bitmaps.h"
#include "entry/restart.h"
#include "entry/support_files.h"
#include "entry/switches.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "script/variables.h"
#include "system/platform_flags.h"
#include "win/files.h"
#include "win/library.h"
#include "win/resource.h"

namespace {

namespace fs = std::filesystem;

// The stand-in's copy: count bytes from source's position into destination.
merl::DWORD copyBytes(merl::HANDLE source, merl::HANDLE destination, merl::DWORD count, merl::LPVOID) {
  merl::SetupRec& setup = *merl::run().setup();
  std::string bytes(count, '\0');
  merl::DWORD read = 0, written = 0;
  if (!win::ReadFile(source, bytes.data(), count, &read, nullptr) || read != count) {
    setup.errorByte = 2;
    return 0;
  }
  win::WriteFile(destination, bytes.data(), read, &written, nullptr);
  setup.readOffset += read;
  return read;
}

class EntryTest : public merl_testing::RuntimeTest {
 protected:
  void start(const std::string& ini, const std::string& installBytes = "") {
    TearDown();
    DllMain(nullptr, win::DLL_PROCESS_ATTACH, nullptr);
    useMachine("[ui]\nanswers = $STATE/answers.txt\n" + ini);
    machine().makeFile("SETUP/SETUP.BIN", installBytes);
    setup_ = {};
    setup_.installFile = win::CreateFile("C:\\SETUP\\SETUP.BIN", win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                         win::OPEN_EXISTING, 0, nullptr);
    setup_.copyCallback = copyBytes;
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    merl::InitPlatformFlags();
  }
  void TearDown() override {
    scope_.reset();
    if (setup_.installFile && setup_.installFile != win::INVALID_HANDLE_VALUE) win::CloseHandle(setup_.installFile);
    setup_.installFile = nullptr;
  }
  void answers(const std::string& text) { machine().writeText(machine().stateDir() + "/answers.txt", text); }
  std::string hostText(const std::string& winPath) {
    std::string rel = winPath.substr(3);
    for (char& c : rel)
      if (c == '\\') c = '/';
    return machine().readText(machine().hostC(rel));
  }

  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(EntryTest, SupportFilesGetTheirPrefixAndExactlyTheirBytes) {
  start("", "abcdefghijklmnop");
  struct Case {
    char letter;
    int number;
    merl::DWORD size;
    const char* prefix;
    const char* ending;
    const char* bytes;
  } cases[] = {{0, 4, 3, "C:\\TEMP\\QDH", ".TMP", "abc"},   {'J', 5, 2, "C:\\TEMP\\QDJ", ".TMP", "de"},
               {'K', 6, 4, "C:\\TEMP\\QDK", ".TMP", "fghi"}, {'M', 7, 1, "C:\\TEMP\\QDM", ".TMP", "j"},
               {'_', 10, 5, "C:\\TEMP\\QD_", ".EXE", "klmno"}};
  for (const Case& c : cases) {
    setup_.supportSizes[c.number - 3] = c.size;
    std::string name;
    ASSERT_EQ(merl::ExtractSupportFile(name, c.letter, c.number), 0);
    EXPECT_EQ(name.rfind(c.prefix, 0), 0u) << name;
    EXPECT_EQ(name.substr(name.size() - 4), c.ending) << name;
    EXPECT_EQ(hostText(name), c.bytes) << name;
  }
  EXPECT_EQ(entriesIn(machine().hostC("TEMP")), 5u);  // the EXE's temporary name went again
}

TEST_F(EntryTest, AShortCopyLeavesNoSupportFile) {
  start("", "ab");
  setup_.supportSizes[6 - 3] = 5;
  answers("");
  std::string name;
  EXPECT_EQ(merl::ExtractSupportFile(name, 'K', 6), 1);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(entriesIn(machine().hostC("TEMP")), 0u);
}

TEST_F(EntryTest, TheSetVariableFileIsTakenFromTheSetupDirectoryUnlessItHasAPath) {
  start("");
  char module[win::MAX_PATH] = {};
  win::GetModuleFileName(nullptr, module, sizeof module);
  std::string dir(module);
  dir.resize(dir.find_last_of('\\') + 1);
  struct Case {
    std::string line, file;
  } cases[] = {{"/M=\"my cfg.txt\" /T", dir + "my cfg.txt"},
               {"/m=C:\\X\\a.txt", "C:\\X\\a.txt"},
               {"/M=\"C:\\open end", "C:\\open end"},
               {"/M=C:\\" + std::string(400, 'n'), "C:\\" + std::string(252, 'n')}};
  for (const Case& c : cases) {
    merl::mainState().setVariableFile.clear();
    merl::ParseSwitches(c.line);
    EXPECT_EQ(merl::mainState().setVariableFile, c.file) << c.line;
  }
}

TEST_F(EntryTest, ExtractNamesAreBareFinalComponents) {
  start("");
  struct Case {
    std::string destination, name;
  } cases[] = {{"%INST%\\README.TXT", "README.TXT"}, {"a/../../x", "x"}, {"..", ""},   {".", ""},
               {"dir\\", ""},                          {"dir/", ""},       {"plain", "plain"},
               {"C:\\" + std::string(260, 'n'), ""}};
  for (const Case& c : cases) EXPECT_EQ(merl::ExtractName(c.destination), c.name) << c.destination;
}

TEST_F(EntryTest, RestartAnswersFollowRestartAndThePlatform) {
  struct Case {
    const char* platform;
    std::string restart;
    const char* answers;  // null: no box may show
    bool needed;
    bool testRun;
    std::string program, arguments;
    int exitCode;
  } cases[] = {
      {"9x", "", nullptr, false, false, "", "", 1},
      {"nt", "E  cmd /k x", nullptr, false, false, "C:\\COMMAND.COM", "/C cmd /k x", 1},
      {"9x", "W", "114 1\n", false, false, "", "", 0x42},
      {"9x", "W", "114 2\n", false, false, "", "", 1},
      {"nt", "S", "114 1\n", false, false, "C:\\TEMP\\QD_1.EXE", "", 1},
      {"9x", "S", "114 1\n", false, false, "", "", 0x43},
      {"win32s", "W", "114 1\n", true, false, "C:\\COMMAND.COM", "/C C:\\WINDOWS\\_MSRSTRT.EXE", 1},
      {"win32s", "E x", "114 1\n", true, false, "C:\\COMMAND.COM", "/C C:\\WINDOWS\\_MSRSTRT.EXE x", 1},
      {"win32s", "I", nullptr, true, false, "", "", 1},
      {"9x", "W", nullptr, false, true, "", "", 1},
      {"9x", "E " + std::string(600, 'c'), nullptr, false, false, "", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + " " + c.restart.substr(0, 20));
    start(std::string("[system]\nplatform = ") + c.platform + "\n[env]\nCOMSPEC = C:\\COMMAND.COM\n");
    answers(c.answers ? c.answers : "");
    setup_.optionWord = 0x2000;
    merl::run().runState = c.testRun ? merl::kStateTest : merl::kStateNormal;
    merl::SetVar("WIN", "C:\\WINDOWS");
    merl::SetVar("RESTART", c.restart);
    machine().makeFile("TEMP/QD_1.EXE", "system restart");
    machine().makeFile("TEMP/QDH1.TMP", "launcher");
    merl::mainState().supportPaths[10] = "C:\\TEMP\\QD_1.EXE";
    merl::mainState().supportPaths[9] = "C:\\TEMP\\QDH1.TMP";
    merl::restartState().restartNeeded = c.needed;
    char program[256] = {}, arguments[256] = {};
    int exitCode = 1;
    merl::HandleRestart(&exitCode, program, arguments);
    merl::PlaceRestartLauncher();
    merl::RemoveSupportFiles();
    EXPECT_EQ(program, c.program);
    EXPECT_EQ(arguments, c.arguments);
    EXPECT_EQ(exitCode, c.exitCode);
    bool moved = c.needed && c.restart != "I" && c.answers;
    EXPECT_EQ(hostText("C:\\WINDOWS\\_MSRSTRT.EXE"), moved ? "launcher" : "");
    EXPECT_EQ(hostText("C:\\TEMP\\QDH1.TMP"), "");
    EXPECT_EQ(hostText("C:\\TEMP\\QD_1.EXE"), c.program == "C:\\TEMP\\QD_1.EXE" ? "system restart" : "");
  }
}

TEST_F(EntryTest, WithoutATargetEachFileChosenInTheListGoesWhereItsSaveDialogSays) {
  merl_asm::AssemblyResult a = merl_asm::assembleSource(
      "header {\n language { name=\"L\" title=\"T\" m19=\"Pick files\" }\n}\n"
      "install_file {\n data a = text(\"AAA\")\n data b = text(\"BB\")\n}\n"
      "install { start=start(a) end=end(a) size=size(a) dest=\"%INST%\\\\A.TXT\" desc=\"a\" hook=\"\" }\n"
      "install { start=start(b) end=end(b) size=size(b) dest=\"B.TXT\" desc=\"b\" hook=\"\" }\n",
      "x.mas", "");
  ASSERT_TRUE(a.ok) << a.error;
  start("transcript = $STATE/t.jsonl\n", std::string(a.assembly.installFile.begin(), a.assembly.installFile.end()));
  std::vector<merl::BYTE> image(a.assembly.image.begin(), a.assembly.image.end());
  image.push_back('?');
  merl::run().scriptImage = image.data();
  merl::run().scriptLength = static_cast<merl::DWORD>(image.size() - 1);
  merl::run().runState = merl::kStateExtract;
  merl::mainState().dataBaseOffset = a.assembly.layout.dataBase;
  machine().makeFile("OUT/.keep");
  answers("107 1 select 1010=1\nsave C:\\OUT\\SECOND.TXT\n");
  EXPECT_EQ(merl::RunExtract(), merl::kEndMark);
  EXPECT_EQ(hostText("C:\\OUT\\SECOND.TXT"), "BB");
  EXPECT_EQ(entriesIn(machine().hostC("OUT")), 2u);
  std::vector<merl_kit::JsonValue> lists;
  for (merl_kit::JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
    if (line["ev"].text() == "dialog" && line["key"].text() == "107") lists.push_back(line);
  ASSERT_EQ(lists.size(), 1u);
  std::vector<std::string> items;
  std::string description;
  for (const merl_kit::JsonValue& c : lists[0]["controls"].items()) {
    if (c["id"].integer() == 1001) description = c["text"].text();
    if (c["id"].integer() == 1008) {
      EXPECT_FALSE(c["visible"].boolean());
    }
    if (c["id"].integer() != 1010) continue;
    for (const merl_kit::JsonValue& item : c["items"].items()) items.push_back(item.text().substr(0, 6));
  }
  EXPECT_EQ(description, "Pick files");
  EXPECT_EQ(items, (std::vector<std::string>{"A.TXT\t", "B.TXT\t"}));
}

TEST_F(EntryTest, TheRuntimeCarriesItsBitmapsAndFilterStrings) {
  start("");
  for (int id : {2, 3, 4, 5, 6, 10, 11, 12}) {
    auto bytes = win::findResourceBytes(nullptr, win::RT_BITMAP, win::MAKEINTRESOURCE(id));
    ASSERT_TRUE(bytes.has_value()) << id;
    EXPECT_GT(bytes->size, 40u) << id;
  }
  EXPECT_FALSE(win::findResourceBytes(nullptr, win::RT_BITMAP, win::MAKEINTRESOURCE(7)).has_value());
  merl::LoadRuntimeBitmaps();
  ASSERT_EQ(merl::mainState().bitmaps.size(), 8u);
  for (win::HBITMAP bitmap : merl::mainState().bitmaps) EXPECT_NE(bitmap, nullptr);
  merl::FreeRuntimeBitmaps();
  EXPECT_TRUE(merl::mainState().bitmaps.empty());
  char text[64] = {};
  EXPECT_EQ(win::LoadString(nullptr, 201, text, sizeof text), 15);
  EXPECT_STREQ(text, "All files (*.*)");
  EXPECT_EQ(win::LoadString(nullptr, 202, text, sizeof text), 3);
  EXPECT_STREQ(text, "*.*");
}

}  // namespace
