// The stand-in's callbacks and main window as a stub runtime sees them: the
// copy callback's bytes, read offset, fault options and disk prompts, the
// CRC-32 checksum, timer 8297 ending a wait, WM_DESTROY posting WM_QUIT.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit_machine.h"
#include "stub_script.h"

namespace {

using merl_kit::KitMachine;
using merl_kit_tests::kDigitsSize;
using merl_kit_tests::kStubScript;

class StandinCallbacksTest : public ::testing::Test {
 protected:
  void SetUp() override { kit_.assemble(kStubScript); }

  // Runs the stub with the config's [stub] lines; the data offset at the digits.
  merl_kit::StandinResult run(const std::string& stub, std::vector<std::string> options = {}) {
    kit_.setConfig("[stub]\n" + stub);
    options.insert(options.begin(), {"--runtime", MERL_KIT_STUB_RUNTIME, "--data-offset", std::to_string(dataBase())});
    auto r = kit_.run(options);
    EXPECT_EQ(r.status, 0) << r.err;
    return r;
  }
  unsigned dataBase() const { return kit_.assembly().layout.dataBase; }

  KitMachine kit_;
};

TEST_F(StandinCallbacksTest, CopyPutsExactlyCountBytesIntoMemoryAndAdvancesTheReadOffset) {
  run("steps = copy,copy\ncopy_count = 4,6\n");
  auto copies = kit_.doubleLog("stub", "copy");
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(copies[0]["bytes"].text(), "30 31 32 33");
  EXPECT_EQ(copies[1]["bytes"].text(), "34 35 36 37 38 39");
  EXPECT_EQ(copies[0]["offset_after"].integer(), dataBase() + 4);
  EXPECT_EQ(copies[1]["offset_after"].integer(), dataBase() + 10);
  auto notes = kit_.transcript("copy");
  ASSERT_EQ(notes.size(), 2u);
  EXPECT_EQ(notes[1]["offset"].integer(), dataBase() + 4);
  EXPECT_EQ(notes[1]["count"].integer(), 6);
  EXPECT_EQ(notes[1]["target"].text(), "memory");
}

TEST_F(StandinCallbacksTest, CopyIntoAHandleWritesExactlyCountBytes) {
  run("steps = copy\ncopy_count = 10\ncopy_to = C:\\OUT.BIN\n");
  EXPECT_EQ(kit_.fileText("C:\\OUT.BIN"), "0123456789");
  EXPECT_EQ(kit_.doubleLog("stub", "copy").at(0)["offset_after"].integer(), dataBase() + 10);
  EXPECT_EQ(kit_.transcript("copy").at(0)["target"].text(), "handle");
}

TEST_F(StandinCallbacksTest, ChecksumIsCrc32StartedByZeroNullZero) {
  run("steps = checksum\nchecksum_text = 123456789\n");
  auto sums = kit_.doubleLog("stub", "checksum");
  ASSERT_EQ(sums.size(), 1u);
  EXPECT_EQ(sums[0]["start"].integer(), 0);
  EXPECT_EQ(sums[0]["value"].integer(), 0xCBF43926);
}

struct FaultCase {
  const char* name;
  std::vector<std::string> options;  // {offset} stands for the data base plus a number
  int readErrorAtPlus;               // -1: no --read-error-at
  std::vector<int> copied, errorBytes, abortFlags;
};

TEST_F(StandinCallbacksTest, FaultOptionsActOnTheirCallOnly) {
  const FaultCase cases[] = {
      {"read error once, the retry reads", {}, 5, {4, 0, 4}, {0, 2, 2}, {0, 0, 0}},
      {"abort flag at call 2", {"--abort-at", "2"}, -1, {4, 4, 4}, {0, 0, 0}, {0, 1, 1}},
      {"error byte at call 3", {"--error-byte-at", "3:0x7"}, -1, {4, 4, 4}, {0, 0, 7}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(kit_.logFile());
    auto options = c.options;
    if (c.readErrorAtPlus >= 0) options = {"--read-error-at", std::to_string(dataBase() + c.readErrorAtPlus)};
    run("steps = copy,copy,copy\ncopy_count = 4\n", options);
    auto copies = kit_.doubleLog("stub", "copy");
    ASSERT_EQ(copies.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(copies[i]["copied"].integer(), c.copied[i]) << "call " << i + 1;
      EXPECT_EQ(copies[i]["error_byte"].integer(), c.errorBytes[i]) << "call " << i + 1;
      EXPECT_EQ(copies[i]["abort_flag"].integer(), c.abortFlags[i]) << "call " << i + 1;
    }
    // The read offset moves by what was copied.
    EXPECT_EQ(copies[2]["offset_after"].integer(), dataBase() + c.copied[0] + c.copied[1] + c.copied[2]);
  }
}

TEST_F(StandinCallbacksTest, TimedWaitEndsWhenTimer8297ClearsTheWaitFlag) {
  run("steps = wait\nwait_ms = 300\n");
  auto waits = kit_.doubleLog("stub", "wait");
  ASSERT_EQ(waits.size(), 1u);
  EXPECT_EQ(waits[0]["wait_flag"].integer(), 0);
  EXPECT_GE(waits[0]["virtual_ms"].integer(), 300);
  EXPECT_LT(waits[0]["virtual_ms"].integer(), 400);
  auto fired = kit_.transcript("timer-fired");
  ASSERT_FALSE(fired.empty());
  EXPECT_EQ(fired[0]["id"].integer(), 8297);
}

TEST_F(StandinCallbacksTest, WmQuitReportsWhetherTheMainWindowWasDestroyedDuringTheCall) {
  const std::pair<const char*, bool> cases[] = {{"destroy", true}, {"dump", false}};
  for (const auto& [steps, quit] : cases) {
    SCOPED_TRACE(steps);
    auto r = run(std::string("steps = ") + steps + "\n");
    EXPECT_EQ(r.line["wm_quit"].boolean(), quit);
  }
  EXPECT_TRUE(kit_.doubleLog("stub", "destroy").at(0)["quit"].boolean());
}

TEST_F(StandinCallbacksTest, EndOfASingleFileInstallationCallsDiskPromptAtEnd) {
  run("steps = copy\ncopy_count = 100\n");
  auto prompts = kit_.doubleLog("stub", "DiskPrompt");
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0]["at_end"].integer(), 1);
  EXPECT_EQ(prompts[0]["reopen"].integer(), 1);
  EXPECT_EQ(kit_.doubleLog("stub", "copy").at(0)["copied"].integer(), kDigitsSize);
}

TEST_F(StandinCallbacksTest, ClosedFileCallsDiskPromptWithoutEnd) {
  run("steps = close,copy\ncopy_count = 4\n");
  auto prompts = kit_.doubleLog("stub", "DiskPrompt");
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0]["at_end"].integer(), 0);
  EXPECT_EQ(prompts[0]["reopen"].integer(), 0);
  EXPECT_EQ(kit_.doubleLog("stub", "copy").at(0)["copied"].integer(), 0);
}

TEST_F(StandinCallbacksTest, CopyGoesOnInTheNextDiskAtTheReadOffsetLessItsBase) {
  auto disk1 = kit_.assembly().installFile.size();
  kit_.machine().writeText(kit_.hostPath("C:\\SETUP\\SETUP.W02"), "WXYZ");
  run("steps = copy\ncopy_count = " + std::to_string(kDigitsSize + 3) + "\ndisk_file = C:\\SETUP\\SETUP.W02\n" +
      "disk_base = " + std::to_string(disk1) + "\n");
  auto copy = kit_.doubleLog("stub", "copy").at(0);
  EXPECT_EQ(copy["copied"].integer(), kDigitsSize + 3);
  EXPECT_EQ(copy["bytes"].text().substr(3 * kDigitsSize), "57 58 59");
  EXPECT_EQ(copy["offset_after"].integer(), static_cast<std::int64_t>(disk1) + 3);
}

}  // namespace

namespace {

TEST_F(StandinCallbacksTest, DdeAfterConnectsOnlyToAServiceTheRuntimeLeftRegistered) {
  struct Case {
    const char* stub;
    const char* service;
    const char* answer;
  } cases[] = {
      {"steps = serve\n", "MerlInst", "connected"},
      {"steps = serve\n", "merlinst", "connected"},  // service names are case-blind
      {"steps = serve,unserve\n", "MerlInst", "refused"},
      {"steps = serve\n", "Other", "refused"},
      {"steps =\n", "MerlInst", "refused"},
  };
  for (const Case& c : cases) {
    auto r = run(c.stub, {"--dde-after", c.service});
    EXPECT_EQ(r.line["dde_after"].text(), c.answer) << c.stub << c.service;
  }
  EXPECT_EQ(run("steps =\n").line.find("dde_after"), nullptr);
}

}  // namespace
