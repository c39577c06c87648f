// MerlMain through the stand-in: support files, extract mode and what the end
// of the run tells the machine.
#include <sys/stat.h>

#include <filesystem>

#include "whole_run.h"

namespace merl_testing {
namespace {

std::string installRecord(const std::string& data, const std::string& dest, int flagsA = 0, int flagsB = 0,
                          const std::string& hook = "") {
  return "install { flags_a=" + std::to_string(flagsA) + " flags_b=" + std::to_string(flagsB) + " start=start(" + data +
         ") end=end(" + data + ") size=size(" + data + ") date=0x2E59 time=0x7000 dest=\"" + dest +
         "\" desc=\"d\" hook=\"" + hook + "\" }\n";
}

const std::string kExtractData =
    "install_file {\n  data a = text(\"AAA\")\n  data b = text(\"BBBB\")\n  data c = text(\"C\")\n}\n";

std::string extractScript() {
  return demoHeader() + kExtractData + installRecord("a", "%INST%\\\\A.TXT") + installRecord("b", "B.TXT", 0x04) +
         installRecord("b", "H.TXT", 0, 0, "param") + installRecord("c", "a/../../x") + installRecord("b", "..") +
         installRecord("b", ".") + installRecord("b", "dir\\\\") + installRecord("b", "dir/") + "log text=\"x\"\n";
}

long mtimeOf(const std::string& host) {
  struct stat st {};
  return ::stat(host.c_str(), &st) == 0 ? static_cast<long>(st.st_mtime) : -1;
}

TEST_F(WholeRunTest, ExtractWritesTheInstallationFileRecordsIntoTheTarget) {
  struct Case {
    std::string commandLine;
    int result, exitCode;
  } cases[] = {{"/X C:\\OUT", 1, 1}, {"/M=a.txt /X C:\\OUT", 1, 1}, {"/z  C:\\OUT\\", 1, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    machine().assemble(extractScript());
    merl_kit::StandinResult r = runOk({"--silent"}, c.commandLine);
    EXPECT_EQ(r.line["result"].integer(), c.result);
    EXPECT_EQ(r.line["exit_code"].integer(), c.exitCode);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(kit().hostPath("C:\\OUT")))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"A.TXT", "x"}));
    EXPECT_EQ(kit().fileText("C:\\OUT\\A.TXT"), "AAA");
    EXPECT_EQ(kit().fileText("C:\\OUT\\x"), "C");
    EXPECT_EQ(mtimeOf(kit().hostPath("C:\\OUT\\A.TXT")), 1046181600L);  // 2003-02-25 14:00:00
    EXPECT_EQ(kit().installLog(), "");
  }
}

TEST_F(WholeRunTest, PieceModeExtractsOnlyPieceRecordsAndAtMost1024) {
  std::string body = installRecord("a", "P.TXT", 0, 0x08) + installRecord("b", "N.TXT");
  machine().assemble(demoHeader() + kExtractData + body);
  runOk({"--silent", "--options", "0x400000"}, "/X C:\\OUT");
  EXPECT_EQ(kit().fileText("C:\\OUT\\P.TXT"), "AAA");
  EXPECT_EQ(kit().fileText("C:\\OUT\\N.TXT"), "");

  std::string many;
  for (int i = 0; i < 1030; ++i) many += installRecord("c", "F" + std::to_string(i));
  machine().assemble(demoHeader() + kExtractData + many);
  runOk({"--silent"}, "/X C:\\OUT");
  std::size_t n = 0;
  for (const auto& e : std::filesystem::directory_iterator(kit().hostPath("C:\\OUT"))) n += e.is_regular_file();
  EXPECT_EQ(n, 1024u);
  EXPECT_EQ(kit().fileText("C:\\OUT\\F1023"), "C");
  EXPECT_EQ(kit().fileText("C:\\OUT\\F1024"), "");
}

std::string supportScript(const std::string& hookFile) {
  return demoHeader() + "install_file {\n  support 4 = file(\"" + hookFile + "\")\n  support 5 = hex(\"05 05\")\n" +
         "  support 6 = file(\"" + merl_kit::doubleFile(merl_kit::Double::Progress) +
         "\")\n  support 7 = hex(\"07\")\n  support 10 = hex(\"0a 0a 0a\")\n}\nlog text=\"ran\\r\\n\"\n";
}

TEST_F(WholeRunTest, SupportLibrariesAreLoadedFromTheirTemporaryFilesAndRemoved) {
  machine().assemble(supportScript(merl_kit::doubleFile(merl_kit::Double::Hook)));
  merl_kit::StandinResult r = runOk({"--silent", "--options", "0x28000"});
  EXPECT_EQ(r.line["result"].integer(), 0);
  auto hook = kit().doubleLog("hook", "load");
  ASSERT_EQ(hook.size(), 1u);
  EXPECT_EQ(hook[0]["module"].text().rfind("C:\\TEMP\\QDH", 0), 0u) << hook[0]["module"].text();
  EXPECT_EQ(hook[0]["size"].integer(),
            static_cast<long long>(std::filesystem::file_size(merl_kit::doubleFile(merl_kit::Double::Hook))));
  auto progress = kit().doubleLog("progress");
  ASSERT_GE(progress.size(), 3u);
  EXPECT_EQ(progress[0]["module"].text().rfind("C:\\TEMP\\QDK", 0), 0u);
  EXPECT_EQ(progress[1]["command"].integer(), 0);
  EXPECT_EQ(progress.back()["command"].integer(), 3);
  EXPECT_TRUE(tempFiles().empty());
}

TEST_F(WholeRunTest, ABrokenSupportFileStopsTheRunBeforeTheScript) {
  struct Case {
    const char* name;
    std::vector<std::string> options;
  } cases[] = {{"hook without f1", {"--options", "0x28000"}},
               {"read error in file 6", {"--options", "0x28000", "--read-error-at", "0"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine();
    bool readError = c.options.size() > 2;
    // Without f1 the hook is the progress double; for the read error the hook is real and the
    // failing offset is the first byte of file 6.
    std::string hookFile = merl_kit::doubleFile(readError ? merl_kit::Double::Hook : merl_kit::Double::Progress);
    kit().assemble(supportScript(hookFile));
    std::vector<std::string> options = c.options;
    if (readError)
      options.back() = std::to_string(kit().assembly().layout.supportSizes[1] + kit().assembly().layout.supportSizes[2]);
    merl_kit::StandinResult r = runOk(options);
    EXPECT_EQ(r.line["result"].integer(), 1);
    auto boxes = kit().transcript("dialog");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0]["title"].text(), "Installation Aborted!");
    bool saysInternalError = false;
    for (std::size_t i = 0; i < boxes[0]["controls"].size(); ++i)
      saysInternalError |= boxes[0]["controls"][i]["text"].text() == "Internal Error";
    EXPECT_TRUE(saysInternalError);
    EXPECT_TRUE(kit().doubleLog("progress", "Update").empty());
    EXPECT_EQ(kit().installLog(), "");
    EXPECT_TRUE(tempFiles("QDK").empty());
  }
}

TEST_F(WholeRunTest, APrivateCtl3dIsInstalledOnlyWhereNoneExistsAndRegisteredForTheRun) {
  struct Case {
    const char* platform;
    int file;
    bool present;
    bool autoSubclass;
  } cases[] = {{"9x", 3, false, false}, {"9x", 3, true, false}, {"nt", 8, false, false}, {"nt\nversion = 3.51", 8, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.platform) + (c.present ? " present" : ""));
    machine(machineIni(c.platform));
    if (c.present) kit().install(merl_kit::Double::Hook, "C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL");
    kit().assemble(demoHeader() + "install_file {\n  support " + std::to_string(c.file) + " = file(\"" +
                   merl_kit::doubleFile(merl_kit::Double::Ctl3d) +
                   "\")\n  dialog_block = hex(\"01 02 03\")\n  dialog_block_size = 8\n}\nlog text=\"x\"\n");
    runOk({"--silent", "--options", "0x10"});
    std::string installed = kit().fileText("C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL");
    if (!c.present) {
      EXPECT_EQ(kit().doubleLog("ctl3d", "Ctl3dRegister").size(), 1u);
      EXPECT_EQ(kit().doubleLog("ctl3d", "Ctl3dUnregister").size(), 1u);
      EXPECT_EQ(kit().doubleLog("ctl3d", "Ctl3dAutoSubclass").size(), c.autoSubclass ? 1u : 0u);
      EXPECT_EQ(installed.size(), std::filesystem::file_size(merl_kit::doubleFile(merl_kit::Double::Ctl3d)));
    } else {
      EXPECT_TRUE(kit().doubleLog("ctl3d").empty());  // the file there stays and is no CTL3D
    }
    bool blockRead = false;
    for (auto& copy : kit().transcript("copy"))
      blockRead |= copy["target"].text() == "memory" && copy["count"].integer() == 3;
    EXPECT_TRUE(blockRead);
  }
}

TEST_F(WholeRunTest, TheEndTellsTheMachineWhatChanged) {
  struct Case {
    const char* name;
    std::string body;
    std::size_t broadcasts, helps;
  } cases[] = {{"ini record", "ini file=\"C:\\\\APP\\\\A.INI\" section=\"S\" entries=\"K=V\"\n", 2, 0},
               {"help file", actionCall("HELPFILE=C:\\\\APP\\\\A.HLP"), 0, 1},
               {"nothing", "log text=\"x\"\n", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    machine();
    kit().assemble(demoHeader() + c.body);
    runOk({"--silent"});
    auto broadcasts = kit().transcript("broadcast");
    EXPECT_EQ(broadcasts.size(), c.broadcasts);
    if (c.broadcasts == 2) {
      EXPECT_EQ(broadcasts[1]["text"].text(), "Environment");
    }
    auto helps = kit().transcript("help");
    ASSERT_EQ(helps.size(), c.helps);
    if (c.helps) {
      EXPECT_EQ(helps[0]["command"].integer(), 2);
    }
  }
}

TEST_F(WholeRunTest, TheStatusReportIsMadeTwiceWithTheHeaderProduct) {
  machine().install(merl_kit::Double::Ismif, "C:\\WINDOWS\\ISMIF32.DLL");
  kit().assemble(demoHeader("  mif = \"STATUS.MIF\"\n  manufacturer = \"Acme\"\n  product = \"Demo\"\n"
                            "  version = \"1.0\"\n  serial = \"S1\"\n") +
                 "log text=\"x\"\n");
  runOk({"--silent"});
  auto calls = kit().doubleLog("ismif", "InstallStatusMIF");
  ASSERT_EQ(calls.size(), 2u);
  for (auto& call : calls) {
    EXPECT_EQ(call["mif"].text(), "STATUS");
    EXPECT_EQ(call["manufacturer"].text(), "Acme");
    EXPECT_EQ(call["product"].text(), "Demo");
    EXPECT_EQ(call["version"].text(), "1.0");
    EXPECT_EQ(call["locale"].text(), "");
    EXPECT_EQ(call["serial"].text(), "S1");
    EXPECT_EQ(call["status_text"].text(), "");
    EXPECT_EQ(call["status"].integer(), 1);
  }
}

}  // namespace
}  // namespace merl_testing

namespace merl_testing {
namespace {

TEST_F(WholeRunTest, ExtractWithoutATargetOffersTheListInTheCommonFontWhichTheEndDeletes) {
  machine(machineIni("9x", "[ui]\nanswers = $STATE/answers.txt\n"));
  kit().machine().writeText(kit().stateDir() + "/answers.txt",
                            "107 2 select 1010=1 notify 1010=2\nsave C:\\OUT\\PICKED.TXT\n");
  std::filesystem::create_directories(kit().hostPath("C:\\OUT"));
  kit().assemble(demoHeader() + kExtractData + installRecord("a", "%INST%\\\\A.TXT") + installRecord("c", "C.TXT"));
  runOk({"--screen", "800x600"}, "/X");
  EXPECT_EQ(kit().fileText("C:\\OUT\\PICKED.TXT"), "C");
  std::vector<merl_kit::JsonValue> lists;
  for (merl_kit::JsonValue& d : kit().transcript("dialog"))
    if (d["key"].text() == "107") lists.push_back(d);
  ASSERT_EQ(lists.size(), 1u);
  const merl_kit::JsonValue& d = lists[0];
  long long w = d["rect"][2].integer() - d["rect"][0].integer(), h = d["rect"][3].integer() - d["rect"][1].integer();
  EXPECT_EQ(d["rect"][0].integer(), (800 - w) / 2);
  EXPECT_EQ(d["rect"][1].integer(), (600 - h) / 2);
  // The common font: made once, bold, and deleted before the run ends.
  std::vector<unsigned long long> bold;
  for (merl_kit::JsonValue& g : kit().transcript("gdi"))
    if (g["call"].text() == "CreateFontIndirect" && g["weight"].integer() == 700) bold.push_back(g["object"].integer());
  ASSERT_EQ(bold.size(), 1u);
  for (const merl_kit::JsonValue& c : d["controls"].items()) EXPECT_EQ(c["font"]["weight"].integer(), 700);
  bool deleted = false;
  for (merl_kit::JsonValue& g : kit().transcript("gdi"))
    if (g["call"].text() == "DeleteObject" && static_cast<unsigned long long>(g["object"].integer()) == bold[0])
      deleted = g["ok"].boolean();
  EXPECT_TRUE(deleted);
}

}  // namespace
}  // namespace merl_testing
