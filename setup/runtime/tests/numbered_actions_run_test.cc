// Library calls and numbered actions in whole runs through the stand-in: the raw
// block an action library gets on each load path, variables it adds, a missing
// own export, and a start-up file edit with its log lines and failure.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "whole_run.h"

namespace merl_testing {
namespace {

// The bytes of the double's "raw" hex text.
std::vector<unsigned char> rawBytes(const std::string& hex) {
  std::vector<unsigned char> out;
  for (std::size_t at = 0; at + 1 < hex.size(); at += 3) out.push_back(static_cast<unsigned char>(std::stoul(hex.substr(at, 2), nullptr, 16)));
  return out;
}

std::uint64_t readLe(const std::vector<unsigned char>& b, std::size_t at, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | (at + i < b.size() ? b[at + i] : 0);
  return v;
}

// The demo header with messages 6 and 26 that name their file.
std::string header(const std::string& extra = "") {
  return "header {\n  log_path = \"C:\\\\APP\\\\INSTALL.LOG\"\n" + extra +
         "  language { name = \"English\" title = \"Demo Setup\" m1 = \"Installation complete.\""
         " m6 = \"Cannot find %s.\" m26 = \"Cannot write %s.\" }\n}\n";
}
const std::string kNoLogHeader = header("  flags = 0x40\n");

// How often the transcript shows the action double freed.
std::size_t doubleFrees(const merl_kit::KitMachine& kit) {
  std::size_t n = 0;
  for (const auto& f : kit.transcript("library-free")) n += f["path"].text().find("ACT.DLL") != std::string::npos;
  return n;
}

TEST_F(WholeRunTest, ThePreferredLoadGetsTheExternalBlockWrittenOutField) {
  machine().assemble(kNoLogHeader + actionCall("A\\x7F%WIN%") + actionCall("NEWVAR=1") + actionCall("X"));
  runOk({"--silent"});
  auto calls = kit().doubleLog("action", "SetVars");
  ASSERT_EQ(calls.size(), 3u);
  std::vector<unsigned char> b = rawBytes(calls[0]["raw"].text());
  // 64-bit layout: u32 fields, 8-byte handles and addresses, padding written out.
  ASSERT_EQ(b.size(), 96u);
  EXPECT_EQ(readLe(b, 0, 4), 96u);
  EXPECT_EQ(readLe(b, 16, 4), 250u);
  EXPECT_EQ(readLe(b, 20, 4), 17u);
  EXPECT_EQ(readLe(b, 24, 4), 256u);
  std::uint64_t count = readLe(b, 28, 4);
  EXPECT_GT(count, 0u);
  EXPECT_NE(readLe(b, 32, 8), 0u);                    // names
  EXPECT_EQ(readLe(b, 40, 8), readLe(b, 32, 8) + 250 * 17);  // values follow the names
  EXPECT_EQ(readLe(b, 48, 4), 0u);                    // run state
  EXPECT_EQ(readLe(b, 56, 8), ~std::uint64_t{0});     // no log
  EXPECT_NE(readLe(b, 64, 8), 0u);                    // parameter text
  EXPECT_EQ(readLe(b, 88, 4), 1u);                    // silent
  EXPECT_EQ(calls[0]["parameter_text"].text(), "A\x7F" "C:\\WINDOWS");
  EXPECT_EQ(calls[0]["message17"].text(), "m17");
  EXPECT_EQ(calls[0]["message44"].text(), "m44");
  // The count of used slots grows with the variable the second call added.
  EXPECT_EQ(readLe(rawBytes(calls[1]["raw"].text()), 28, 4), count);
  EXPECT_EQ(readLe(rawBytes(calls[2]["raw"].text()), 28, 4), count + 1);
  EXPECT_EQ(doubleFrees(kit()), 3u);
}

TEST_F(WholeRunTest, TheFallbackLoadGetsTheInternalBlockAndKeepsTheLibrary) {
  machine(machineIni("9x", "[failures]\nloadlibraryex = *\\act.dll\n"));
  kit().assemble(kNoLogHeader + actionCall("NEWVAR=xyz") + "log text=\"[%NEWVAR%]\"\n");
  runOk({"--silent"});
  auto calls = kit().doubleLog("action", "SetVars");
  ASSERT_EQ(calls.size(), 1u);
  std::vector<unsigned char> b = rawBytes(calls[0]["raw"].text());
  ASSERT_EQ(b.size(), 80u);
  EXPECT_EQ(readLe(b, 0, 2), 80u);
  EXPECT_EQ(readLe(b, 16, 2), 250u);
  EXPECT_EQ(readLe(b, 18, 2), 17u);
  EXPECT_EQ(readLe(b, 20, 2), 256u);
  EXPECT_GT(readLe(b, 22, 2), 0u);
  EXPECT_EQ(readLe(b, 48, 8), ~std::uint64_t{0});
  EXPECT_NE(readLe(b, 64, 8), 0u);  // message table
  EXPECT_EQ(readLe(b, 72, 2), 0u);  // edited-file flags
  EXPECT_EQ(doubleFrees(kit()), 0u);
}

TEST_F(WholeRunTest, VariablesAnActionAddsAreSeenAndAnOverlargeCountIsClamped) {
  machine();
  kit().setConfig("[action]\nreport_count = ,300\n");
  kit().assemble(demoHeader() + actionCall("NEWVAR=xyz") + "log text=\"[%NEWVAR%]\\r\\n\"\n" +
                 actionCall("OTHER=1") + "log text=\"[%OTHER%]\\r\\n\"\n");
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 0);
  std::string log = kit().installLog();
  EXPECT_NE(log.find("[xyz]\r\n[1]\r\nInstallation complete.\r\n"), std::string::npos) << log;
}

TEST_F(WholeRunTest, AMissingOwnExportEndsTheRunWithMessage6) {
  machine();
  kit().assemble(header() + "call flags=8 library=\"MERL0132.DLL\" function=\"f4\" params=\"\"\n" +
                 "log text=\"after\\r\\n\"\n");
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 1);
  std::string log = kit().installLog();
  EXPECT_EQ(log.find("after"), std::string::npos);
  const std::string last = "Cannot find MERL0132.DLL.\r\n";
  ASSERT_GE(log.size(), last.size());
  EXPECT_EQ(log.substr(log.size() - last.size()), last) << log;
}

const char kAutoexec[] = "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS\r\n";

std::string pathCall(int flags) {
  return "call flags=" + std::to_string(flags) +
         " library=\"MERL0132.DLL\" function=\"f0\" params=\"C:\\\\APP\"\nlog text=\"R=%RESTART%\\r\\n\"\n" +
         actionCall("RESTART=");
}

TEST_F(WholeRunTest, AnOwnExportEditsAutoexecAndLogsItsBackup) {
  machine(machineIni("9x", "[env]\nCOMSPEC = C:\\WINDOWS\\COMMAND.COM\n"));
  kit().machine().writeText(kit().hostPath("C:\\AUTOEXEC.BAT"), kAutoexec);
  kit().assemble(header() + pathCall(0x09));
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 0);
  EXPECT_EQ(kit().fileText("C:\\AUTOEXEC.BAT"), "@ECHO OFF\r\nPATH C:\\DOS;C:\\WINDOWS;C:\\APP\r\n");
  EXPECT_EQ(kit().fileText("C:\\AUTOEXEC.001"), kAutoexec);
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\~QDTX382.TMP")));
  std::string log = kit().installLog();
  EXPECT_NE(log.find("File Edit: C:\\AUTOEXEC.BAT\r\nBackup Copy: C:\\AUTOEXEC.001\r\nR=S\r\nInstallation complete.\r\n"),
            std::string::npos)
      << log;
}

TEST_F(WholeRunTest, AShortWriteOfTheCopyLeavesAutoexecAndEndsTheRun) {
  machine(machineIni("9x", "[env]\nCOMSPEC = C:\\WINDOWS\\COMMAND.COM\n[failures]\nshort-write = C:\\~QDTX382.TMP 10\n"));
  kit().machine().writeText(kit().hostPath("C:\\AUTOEXEC.BAT"), kAutoexec);
  kit().assemble(header() + pathCall(0x09));
  merl_kit::StandinResult r = runOk({"--silent"});
  EXPECT_EQ(r.line["result"].integer(), 1);
  EXPECT_EQ(kit().fileText("C:\\AUTOEXEC.BAT"), kAutoexec);
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\~QDTX382.TMP")));
  EXPECT_FALSE(std::filesystem::exists(kit().hostPath("C:\\AUTOEXEC.001")));
  std::string log = kit().installLog();
  EXPECT_EQ(log.find("R="), std::string::npos);
  EXPECT_NE(log.find("Cannot write C:\\AUTOEXEC.BAT.\r\n"), std::string::npos) << log;
}

}  // namespace
}  // namespace merl_testing
