// The DDE server and UpdateScreen as the stand-in meets them: --dde-after
// connects only while the server is registered, and the pause ends on the
// stand-in's own timer 8297 (runs of the fixture runtime).
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "kit_machine.h"
#include "platform_testing/temp_dir.h"

namespace {

const char* const kScript = "header {\n  language { name = \"English\" title = \"Demo\" }\n}\nlog text=\"x\"\nend\n";

TEST(StandinServices, DdeAfterConnectsOnlyWhileTheServerIsRegistered) {
  struct Case {
    const char* steps;
    const char* answer;
  } cases[] = {{"serve", "connected"}, {"serve stop", "refused"}, {"", "refused"}};
  for (const Case& c : cases) {
    merl_kit::KitMachine kit;
    kit.assemble(kScript);
    auto r = kit.run({"--runtime", MERL_DDE_FIXTURE, "--dde-after", "MerlInst"}, c.steps);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.line["dde_after"].text(), c.answer) << c.steps;
  }
}

TEST(StandinServices, ThePauseEndsOnTheStandinsTimerUnlessTheSetupRunsFromAFloppy) {
  struct Case {
    const char* module;
    long long ms;
  } cases[] = {{"C:\\SETUP\\SETUP.EXE", 500}, {"A:\\SETUP.EXE", 10}};
  for (const Case& c : cases) {
    platform_testing::TempDir drives;  // drive A beside C, both made before the machine
    std::filesystem::create_directories(drives.file("C"));
    std::filesystem::create_directories(drives.file("A"));
    merl_kit::KitMachine kit("[drives]\nC = " + drives.file("C") + "\nA = " + drives.file("A") +
                             "\n[drive-types]\nA = removable\n");
    kit.assemble(kScript);
    auto r = kit.run({"--runtime", MERL_DDE_FIXTURE, "--module", c.module}, "pause");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.line["result"].integer(), c.ms) << c.module;
  }
}

}  // namespace
