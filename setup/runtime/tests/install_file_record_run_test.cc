// Whole runs of install-file records through the stand-in: a new file with its
// date and log lines, overwrites with backups, the date rules, a busy
// destination and a copy cancelled midway. INSTALL_RESULT is logged after each.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "whole_run.h"
#include "win/files.h"
#include "win/registry.h"
#include "win_testing/pe_image.h"

namespace {

using merl_testing::machineIni;
using merl_testing::WholeRunTest;

const std::string kData = "0123456789ABCDEF";
const char kDataChecksum[] = "0x983c37b5";
const char kOldData[] = "old bytes";

std::string header() {
  std::string h = merl_testing::demoHeader();
  return h.replace(h.find(" }\n}"), 4,
                   " m0 = \"Cannot write %s\" m3 = \"Copying \" m4 = \"a file\" m17 = \"Busy\" m22 = \"In use: %s\" m15 = \"Transfer %s\""
                   " m26 = \"Cannot copy %s\""
                   " }\n}");
}

struct Fields {
  int flagsA = 0;
  int flagsB = 0;
  int date = 0x2497;  // 1998-04-23
  int time = 0x50A0;  // 10:05:00
  std::string checksum = "0";
  std::string dest = "C:\\\\APP\\\\X.DLL";  // as the assembler reads it
};

std::string installRecord(const Fields& f) {
  return "install { flags_a=" + std::to_string(f.flagsA) + " flags_b=" + std::to_string(f.flagsB) +
         " start=start(x) end=end(x) size=size(x) date=" + std::to_string(f.date) +
         " time=" + std::to_string(f.time) + " checksum=" + f.checksum +
         " dest=\"" + f.dest + "\" desc=\"Sample\" hook=\"\" }\n";
}

const std::string kResultLine = "log text=\"R=%INSTALL_RESULT%\\r\\n\"\n";

class InstallFileRecordRunTest : public WholeRunTest {
 protected:
  // A run of records over a machine with extra ini lines; old, when given, is C:\APP\X.DLL first.
  merl_kit::StandinResult install(const std::string& records, const std::string& extra = "",
                                  std::optional<std::string> old = std::nullopt, std::vector<std::string> options = {"--silent"},
                                  const std::string& platform = "9x") {
    machine(machineIni(platform, "[ui]\nanswers = $STATE/answers.txt\n" + extra));
    kit().machine().writeText(kit().stateDir() + "/answers.txt", answers_);
    if (old) {
      std::filesystem::create_directories(kit().hostPath("C:\\APP"));
      win_testing::TestMachine::writeText(kit().hostPath("C:\\APP\\X.DLL"), *old);
    }
    std::string item = "text(\"" + kData + "\")";
    if (!fresh_.empty()) {
      win_testing::TestMachine::writeText(kit().stateDir() + "/fresh.dll", fresh_);
      item = "file(\"" + kit().stateDir() + "/fresh.dll\")";
    }
    if (before_) before_();
    kit().assemble(header() + "install_file {\n" + support_ + "  data x = " + item + "\n}\n" + records);
    return runOk(options);
  }
  // The last-write time of path as local DOS date and time.
  std::pair<int, int> dosDateTime(const char* path) {
    win::HANDLE f = win::CreateFile(path, win::GENERIC_READ, win::FILE_SHARE_READ, nullptr, win::OPEN_EXISTING, 0,
                                    nullptr);
    win::FILETIME utc{}, local{};
    win::WORD date = 0, time = 0;
    win::GetFileTime(f, nullptr, nullptr, &utc);
    win::CloseHandle(f);
    win::FileTimeToLocalFileTime(&utc, &local);
    win::FileTimeToDosDateTime(&local, &date, &time);
    return {date, time};
  }
  // Side names left in C:\APP.
  int sideFiles(const char* directory = "C:\\APP") {
    int n = 0;
    std::error_code ec;
    for (auto& e : std::filesystem::directory_iterator(kit().hostPath(directory), ec))
      if (e.path().filename().string().rfind("~QDH", 0) == 0) ++n;
    return n;
  }
  std::string answers_;
  std::string fresh_;              // the installed data when not the text
  std::string support_;            // support file lines of the installation file
  std::function<void()> before_;  // runs on the fresh machine before the script
};

void setSharedCounter(const char* path, win::DWORD count) {
  win::HKEY key = nullptr;
  win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", 0,
                      nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &key, nullptr);
  win::RegSetValueEx(key, path, 0, win::REG_DWORD, reinterpret_cast<const win::BYTE*>(&count), sizeof count);
  win::RegCloseKey(key);
}

TEST_F(InstallFileRecordRunTest, NewFileGetsItsBytesDateAndLogLinesInAMissingDirectory) {
  Fields f;
  f.dest = "C:\\\\NEW\\\\X.DLL";
  merl_kit::StandinResult r = install(installRecord(f) + kResultLine);
  EXPECT_EQ(r.line["result"].integer(), 0);
  EXPECT_EQ(kit().fileText("C:\\NEW\\X.DLL"), kData);
  EXPECT_EQ(dosDateTime("C:\\NEW\\X.DLL"), std::make_pair(0x2497, 0x50A0));
  std::string log = kit().installLog();
  EXPECT_NE(log.find("Made Dir: C:\\NEW\r\nFile Copy: C:\\NEW\\X.DLL\r\nR=\r\n"), std::string::npos) << log;
  EXPECT_EQ(sideFiles("C:\\NEW"), 0);
}

TEST_F(InstallFileRecordRunTest, OverwriteKeepsADifferentOldFileAsBackupAndDropsAnIdenticalOne) {
  struct Case {
    const char* name;
    const char* old;
    std::string checksum;
    const char* lines;
    bool backupKept;
  } cases[] = {
      {"different", kOldData, "0", "File Overwrite: C:\\APP\\X.DLL\r\nBackup Copy: C:\\BAK\\X.DLL\r\nR=\r\n", true},
      {"identical", kData.c_str(), kDataChecksum, "File Overwrite: C:\\APP\\X.DLL\r\nR=\r\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fields f;
    f.checksum = c.checksum;
    install("call library=\"C:\\\\APP\\\\ACT.DLL\" function=\"SetVars\" params=\"BACKUPDIR=C:\\\\BAK\"\n" +
                installRecord(f) + kResultLine,
            "", c.old);
    EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), kData);
    std::string log = kit().installLog();
    EXPECT_NE(log.find(c.lines), std::string::npos) << log;
    EXPECT_EQ(std::filesystem::exists(kit().hostPath("C:\\BAK\\X.DLL")), c.backupKept);
    if (c.backupKept) {
      EXPECT_EQ(kit().fileText("C:\\BAK\\X.DLL"), c.old);
    }
    EXPECT_EQ(sideFiles(), 0);
  }
}

TEST_F(InstallFileRecordRunTest, DateRulesOverAnExistingFileOfTheSameDate) {
  struct Case {
    const char* name;
    int flagsA;
    const char* result;
    bool replaced;
    const char* notCopied;
  } cases[] = {
      {"both bits", 0x18, "E", false, nullptr},
      {"newer only", 0x10, "D", false, "Date/Time: Following file not copied.\r\n File Copy: C:\\APP\\X.DLL\r\n"},
      {"equal wins", 0x08, "", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The old file gets the record's date and time through a first record without a date rule.
    Fields first;
    Fields rule;
    rule.flagsA = c.flagsA;
    install(installRecord(first) + "log text=\"--\\r\\n\"\n" + installRecord(rule) + kResultLine);
    std::string log = kit().installLog();
    std::string after = log.substr(log.find("--\r\n") + 4);
    EXPECT_NE(after.find(std::string("R=") + c.result + "\r\n"), std::string::npos) << after;
    if (c.notCopied) {
      EXPECT_EQ(after.rfind(c.notCopied, 0), 0u) << after;
    }
    EXPECT_EQ(after.find("File Overwrite"), c.replaced ? 0u : std::string::npos) << after;
    EXPECT_EQ(sideFiles(), 0);
  }
}

TEST_F(InstallFileRecordRunTest, BusyDestinationAnswersAndTheRestartPath) {
  struct Case {
    const char* name;
    const char* answer;
    const char* platform;
    std::vector<std::string> options;
    const char* lines;
    const char* result;
    int sideFiles;
  } cases[] = {
      {"go on", "114 2\n", "9x", {}, "In Use: C:\\APP\\X.DLL Not Copied\r\n", "I", 0},
      {"restart support", "", "9x", {"--options", "0x2000"}, "File Overwrite: C:\\APP\\X.DLL\r\n", "I", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    answers_ = c.answer;
    install(installRecord({}) + kResultLine, "[failures]\nbusy = C:\\APP\\X.DLL\n", kOldData, c.options, c.platform);
    EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), kOldData);
    std::string log = kit().installLog();
    EXPECT_NE(log.find(std::string(c.lines) + "R=" + c.result + "\r\n"), std::string::npos) << log;
    EXPECT_EQ(sideFiles(), c.sideFiles);
    if (c.sideFiles) {
      EXPECT_NE(kit().fileText("C:\\WINDOWS\\WININIT.INI").find("[rename]"), std::string::npos);
    }
  }
}

TEST_F(InstallFileRecordRunTest, VersionInstallerRefusingANewerFileLogsItsLineWithALeadingBlank) {
  struct Case {
    const char* name;
    int flagsA;
    int counter;  // of the unshared destination, 0: none
    const char* lines;
  } cases[] = {
      {"refused", 0x01, 0,
       "Version: Following file not copied.\r\n File Overwrite: C:\\APP\\X.DLL\r\nR=V\r\n"},
      {"counter ignored", 0x01, 3,
       "Version: Following file not copied.\r\nShared DLL counter ignored:\r\n File Overwrite: C:\\APP\\X.DLL\r\n"
       "R=V\r\n"},
      {"never logged", 0x05, 0, "R=V\r\n"},
  };
  const std::string newer = win_testing::peImage(win_testing::PeVersion{0x00050000, 0, 0x40004, 2, 0, {0x04E40409}});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fresh_ = win_testing::peImage(win_testing::PeVersion{0x00040000, 1, 0x40004, 2, 0, {0x04E40409}});
    before_ = [&] { if (c.counter) setSharedCounter("C:\\APP\\X.DLL", c.counter); };
    Fields f;
    f.flagsA = c.flagsA;
    install("log text=\"--\\r\\n\"\n" + installRecord(f) + kResultLine, "", newer);
    std::string log = kit().installLog();
    std::string after = log.substr(log.find("--\r\n") + 4);
    EXPECT_EQ(after.rfind(c.lines, 0), 0u) << after;
    EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), newer);
    EXPECT_EQ(sideFiles(), 0);
  }
}

// Piece runs: pieces of base "DATA" with stamp 0x5354 served from the internet double.
class PieceRunTest : public InstallFileRecordRunTest {
 protected:
  // Runs records in piece mode; pieces maps piece names to their contents.
  void runPieces(const std::string& records, const std::vector<std::pair<std::string, std::string>>& pieces,
                 std::optional<std::string> old = std::nullopt) {
    machine(machineIni("9x", "[ui]\nanswers = $STATE/answers.txt\n"));
    std::string root = kit().stateDir() + "/served";
    std::filesystem::create_directories(root);
    for (auto& [name, bytes] : pieces) win_testing::TestMachine::writeText(root + "/" + name, bytes);
    kit().setConfig("[internet]\nroot = " + root + "\n");
    if (old) {
      std::filesystem::create_directories(kit().hostPath("C:\\APP"));
      win_testing::TestMachine::writeText(kit().hostPath("C:\\APP\\X.DLL"), *old);
    }
    std::string h = header();
    h.replace(h.find("  language"), 0, "  stamp = 0x5354\n  piece_base = \"DATA\"\n");
    h.replace(h.find(" }\n}"), 4, " m43 = \"Wrong piece\" }\n}");
    kit().assemble(h + "install_file {\n  support 7 = file(\"" + merl_kit::doubleFile(merl_kit::Double::Internet) +
                   "\")\n}\n" + records);
    result_ = runOk({"--silent", "--options", "0x400000"});
  }
  // A record of piece 1297 at offset 5, 16 bytes long, for dest.
  static std::string pieceRecord(const std::string& dest, const std::string& checksum = "0") {
    return "install { flags_a=0 flags_b=0 start=0x14511 end=16 size=16 date=0x2497 time=0x50A0 checksum=" + checksum +
           " dest=\"" + dest + "\" desc=\"Sample\" hook=\"\" }\n";
  }
  static std::string piece(std::uint32_t stamp) {
    std::string p(4, '\0');
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>(stamp >> (8 * i));
    return p + "-" + kData;
  }
  merl_kit::StandinResult result_;
};

TEST_F(PieceRunTest, AWrongStampEndsTheRunAndLeavesTheDestination) {
  runPieces(pieceRecord("C:\\\\APP\\\\X.DLL") + kResultLine, {{"DATA101", piece(0x1111)}}, std::string(kOldData));
  EXPECT_EQ(result_.line["result"].integer(), 1);
  EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), kOldData);
  EXPECT_EQ(sideFiles(), 0);
}

TEST_F(PieceRunTest, AnExistingFileOfTheRecordsSizeAndChecksumIsKeptWithoutAFetch) {
  runPieces(pieceRecord("C:\\\\APP\\\\X.DLL", kDataChecksum) + kResultLine, {}, kData);
  EXPECT_EQ(result_.line["result"].integer(), 0);
  EXPECT_TRUE(kit().doubleLog("internet", "t1").empty());
  EXPECT_NE(kit().installLog().find("R=\r\n"), std::string::npos);
}

TEST_F(InstallFileRecordRunTest, DirectoryInstallCopiesTheTreeWithEmptyDirectoriesAndSkipsBadNamesAndLoops) {
  machine(machineIni("9x"));
  std::string src = kit().hostPath("C:\\SRC");
  std::filesystem::create_directories(src + "/SUB");
  std::filesystem::create_directories(src + "/EMPTY");
  win_testing::TestMachine::writeText(src + "/A.TXT", "a");
  win_testing::TestMachine::writeText(src + "/SUB/B.TXT", "b");
  win_testing::TestMachine::writeText(src + "/BAD:NAME", "x");
  std::filesystem::create_directory_symlink("..", src + "/SUB/LOOP");
  kit().assemble(header() + "install_source flags_a=0x40 flags_b=0x81 start=0 end=0 size=0 date=0 time=0"
                            " dest=\"C:\\\\DST\" desc=\"Tree\" hook=\"\" source=\"C:\\\\SRC\\\\*.*\"\n");
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 0);
  EXPECT_EQ(kit().fileText("C:\\DST\\A.TXT"), "a");
  EXPECT_EQ(kit().fileText("C:\\DST\\SUB\\B.TXT"), "b");
  EXPECT_TRUE(std::filesystem::is_directory(kit().hostPath("C:\\DST\\EMPTY")));
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\DST") + "/BAD:NAME"));
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\DST\\SUB\\LOOP")));
  std::string log = kit().installLog();
  EXPECT_NE(log.find("File Copy: C:\\DST\\A.TXT\r\n"), std::string::npos) << log;
}

// Message boxes' texts of the run (control 1005).
std::vector<std::string> shownTexts(merl_kit::KitMachine& kit) {
  std::vector<std::string> out;
  for (merl_kit::JsonValue& d : kit.transcript("dialog"))
    for (std::size_t i = 0; i < d["controls"].size(); ++i)
      if (d["controls"][i]["id"].integer() == 1005) out.push_back(d["controls"][i]["text"].text());
  return out;
}

TEST_F(InstallFileRecordRunTest, HookRefusalShowsItsTextAndLeavesNoWorkingFile) {
  support_ = "  support 4 = file(\"" + merl_kit::doubleFile(merl_kit::Double::Hook) + "\")\n";
  std::string record = installRecord({});
  record.replace(record.find("hook=\"\""), 7, "hook=\"check\"");
  before_ = [&] { kit().setConfig("[hook]\nresult = 1\nerror = bad\n"); };
  merl_kit::StandinResult r = install(record + kResultLine, "", std::nullopt, {"--options", "0x8000"});
  EXPECT_EQ(r.line["result"].integer(), 1);
  EXPECT_EQ(shownTexts(kit()), std::vector<std::string>{"bad"});
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\APP\\X.DLL")));
  EXPECT_EQ(sideFiles(), 0);
}

TEST_F(InstallFileRecordRunTest, OutsideSourcesInstallWithTheRecordsDateOrLeaveNoSideFile) {
  struct Case {
    const char* name;
    const char* source;  // as the assembler reads it
    bool served;
    int result;
    std::vector<std::string> shownAfterTransfer;
  } cases[] = {
      {"download", "http://host/x.dll", true, 0, {}},
      {"failed download", "http://host/x.dll", false, 1, {"Cannot copy C:\\APP\\X.DLL"}},
      {"missing file", "C:\\\\NOPE\\\\X.DLL", false, 1, {"Cannot copy C:\\NOPE\\X.DLL"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    support_ = "  support 7 = file(\"" + merl_kit::doubleFile(merl_kit::Double::Internet) + "\")\n";
    before_ = [&] {
      std::string root = kit().stateDir() + "/served";
      std::filesystem::create_directories(root + "/host");
      if (c.served) win_testing::TestMachine::writeText(root + "/host/x.dll", kData);
      kit().setConfig("[internet]\nroot = " + root + "\n");
    };
    std::string record = installRecord({.flagsA = 0x40});
    record.replace(record.find("install {"), 9, "install_source {");
    record.replace(record.rfind(" }"), 2, std::string(" source=\"") + c.source + "\" }");
    merl_kit::StandinResult r = install(record + kResultLine, "", std::nullopt, {});
    EXPECT_EQ(r.line["result"].integer(), c.result);
    EXPECT_EQ(sideFiles(), 0);
    std::vector<std::string> shown = shownTexts(kit());
    if (!shown.empty() && shown[0].rfind("Transfer ", 0) == 0) shown.erase(shown.begin());
    EXPECT_EQ(shown, c.shownAfterTransfer);
    if (c.served) {
      EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), kData);
      EXPECT_EQ(dosDateTime("C:\\APP\\X.DLL"), std::make_pair(0x2497, 0x50A0));
    }
  }
}

TEST_F(InstallFileRecordRunTest, ProtectedDestinationOnNtShowsMessageZeroAndKeepsTheFile) {
  merl_kit::StandinResult r = install(installRecord({}) + kResultLine, "[failures]\ndenied = C:\\APP\\X.DLL\n",
                                      std::string(kOldData), {}, "nt");
  EXPECT_EQ(r.line["result"].integer(), 1);
  EXPECT_EQ(shownTexts(kit()), std::vector<std::string>{"Cannot write C:\\APP\\X.DLL"});
  EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), kOldData);
  EXPECT_EQ(sideFiles(), 0);
}

TEST_F(InstallFileRecordRunTest, TestRunPlacesOnlySetupTimeFilesAndWritesNoLog) {
  Fields plain, setupTime;
  setupTime.flagsA = 0x04;
  setupTime.dest = "C:\\\\APP\\\\Y.DLL";
  machine(machineIni("9x"));
  kit().assemble(header() + "install_file {\n  data x = text(\"" + kData + "\")\n}\n" + installRecord(plain) +
                 installRecord(setupTime));
  runOk({"--silent"}, "/T");
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\APP\\X.DLL")));
  EXPECT_EQ(kit().fileText("C:\\APP\\Y.DLL"), kData);
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\APP\\INSTALL.LOG")));
  EXPECT_TRUE(tempFiles("QDD").empty());
}

TEST_F(InstallFileRecordRunTest, CancelledCopyLeavesTheDestinationAndNoWorkingFile) {
  merl_kit::StandinResult r = install(installRecord({}) + kResultLine, "", kOldData, {"--silent", "--abort-at", "1"});
  EXPECT_EQ(r.line["result"].integer(), 1);
  EXPECT_EQ(kit().fileText("C:\\APP\\X.DLL"), kOldData);
  EXPECT_EQ(sideFiles(), 0);
}

}  // namespace
