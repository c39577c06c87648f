// The wizard's pages without a dialog: the page order in both modes, the list
// lines with their selection flags, the progress blocks and the widening.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wizard/page_table.h"
#include "wizard/paging.h"
#include "wizard/progress_bar.h"
#include "wizard/widen.h"
#include "wizard/wizard_state.h"

namespace {

using remvex::LogState;

LogState onlyIniFiles() {
  LogState log;
  log.lists.iniFiles.add({"C:\\WINDOWS\\DEMO.INI", 0, 1});
  return log;
}

LogState withRollback(bool offered) {
  LogState log;
  log.rollbackOffered = offered;
  return log;
}

TEST(WizardPagesTest, PageOrderInBothModes) {
  struct Case {
    const char* name;
    LogState log;
    int mode;
    std::uint8_t from;
    bool forward;
    std::vector<int> pages;  // the pages reached by stepping the same way again and again
  };
  LogState subSystemOnly;
  subSystemOnly.hasSubSystem = true;
  subSystemOnly.subSystem = "Database engine";
  const Case cases[] = {
      {"custom, only INI files: forward", onlyIniFiles(), remvex::kCustomMode, 0, true, {4, 11, 11}},
      {"custom, only INI files: back", onlyIniFiles(), remvex::kCustomMode, 11, false, {4, 0}},
      {"custom, a sub-system alone is page 10", subSystemOnly, remvex::kCustomMode, 0, true, {10, 11}},
      {"custom, nothing listed", LogState(), remvex::kCustomMode, 0, true, {11}},
      {"automatic with the rollback offered", withRollback(true), remvex::kAutomaticMode, 0, true, {12, 11, 11}},
      {"automatic with the rollback offered: back", withRollback(true), remvex::kAutomaticMode, 11, false,
       {12, 0, 0}},
      {"automatic without the offer", withRollback(false), remvex::kAutomaticMode, 0, true, {11, 11}},
      {"automatic without the offer: back", withRollback(false), remvex::kAutomaticMode, 11, false, {0}},
      {"custom never shows the rollback page", withRollback(true), remvex::kCustomMode, 0, true, {11}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::uint8_t page = c.from;
    for (int expected : c.pages) {
      page = remvex::NextPage(page, c.forward, c.mode, c.log);
      EXPECT_EQ(page, expected);
    }
  }
}

TEST(WizardPagesTest, ListLinesAndTheirSelections) {
  LogState log;
  log.lists.directories.add({"C:\\APP\\", 0, 0, 1});
  log.lists.iniEntries.add({"WIN.INI", "Demo", "Path", "C:\\OLD", "", 0, 1});
  log.lists.registryRemove.add({"Software\\Demo", "", 2});
  log.lists.registryRemove.add({"Software\\Demo", "Version", 2});
  remvex::RegistryRestoreRecord named{"Software\\Demo", "Size", {std::string(300, 'x'), "second"}};
  remvex::RegistryRestoreRecord unnamed{"Software\\Demo\\Sub", "", {"old"}};
  log.lists.registryRestore.add(named);
  log.lists.registryRestore.add(unnamed);
  log.hasSubSystem = true;
  log.subSystem = "Database engine";
  log.lists.programs.add({"C:\\APP\\SETUP.EXE", "Setup helper"});
  log.lists.programs.add({"C:\\APP\\CLEAN.EXE", ""});
  log.lists.services.add({"DemoService"});
  struct Case {
    int page;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {3, {"C:\\APP"}},
      {5, {"WIN.INI: [Demo] Path=C:\\OLD"}},
      {6, {"Software\\Demo", "Software\\Demo Value Name: Version"}},
      {8, {"Software\\Demo Value Name: Size=" + std::string(255, 'x'), "Software\\Demo\\Sub=old"}},
      {10, {"Database engine", "Setup helper", "C:\\APP\\CLEAN.EXE", "DemoService"}},
      {11, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page);
    EXPECT_EQ(remvex::PageLines(static_cast<std::uint8_t>(c.page), log), c.lines);
    EXPECT_EQ(remvex::PageSelections(static_cast<std::uint8_t>(c.page), log).size(), c.lines.size());
  }
  // Page 10's lines map back to the sub-system, the programs, then the services.
  auto selections = remvex::PageSelections(10, log);
  for (std::size_t i = 0; i < selections.size(); ++i) *selections[i] = i % 2 == 0;
  EXPECT_EQ(log.subSystemSelected, 1u);
  EXPECT_EQ(log.lists.programs.records()[0].selected, 0u);
  EXPECT_EQ(log.lists.programs.records()[1].selected, 1u);
  EXPECT_EQ(log.lists.services.records()[0].selected, 0u);
}

TEST(WizardPagesTest, ProgressBlocksStayInsideTheRectangle) {
  struct Case {
    const char* name;
    win::RECT inside;
    std::uint32_t total, done;
    std::size_t blocks;
    win::RECT last;  // when there are blocks
  };
  const Case cases[] = {
      {"half of 200 x 12", {10, 20, 210, 32}, 10, 5, 13, {106, 21, 111, 31}},
      {"nothing done", {10, 20, 210, 32}, 10, 0, 0, {}},
      {"all done", {0, 0, 200, 12}, 10, 10, 25, {192, 1, 197, 11}},
      {"39999 of 40000 with 64-bit width", {0, 0, 300, 12}, 40000, 39999, 38, {296, 1, 300, 11}},
      {"done above total is clamped", {0, 0, 200, 12}, 10, 50, 25, {192, 1, 197, 11}},
      {"3 pixels high draws nothing", {0, 0, 200, 3}, 10, 5, 0, {}},
      {"1 pixel high draws nothing", {0, 0, 200, 1}, 10, 10, 0, {}},
      {"total 0 draws nothing", {0, 0, 200, 12}, 0, 5, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto blocks = remvex::ProgressBlocks(c.inside, c.total, c.done);
    ASSERT_EQ(blocks.size(), c.blocks);
    if (blocks.empty()) continue;
    const win::RECT& b = blocks.back();
    EXPECT_EQ(b.left, c.last.left);
    EXPECT_EQ(b.top, c.last.top);
    EXPECT_EQ(b.right, c.last.right);
    EXPECT_EQ(b.bottom, c.last.bottom);
    for (const win::RECT& r : blocks) {
      EXPECT_GE(r.left, c.inside.left);
      EXPECT_LE(r.right, c.inside.right);
    }
  }
}

TEST(WizardPagesTest, WideningGrowsLeftAndRightByASixth) {
  struct Case {
    win::RECT from, to;
  };
  const Case cases[] = {
      {{100, 40, 500, 300}, {116, 40, 583, 300}},
      {{0, 0, 5, 9}, {0, 0, 5, 9}},
      {{-60, 3, 60, 8}, {-70, 3, 70, 8}},
  };
  for (const Case& c : cases) {
    const win::RECT r = remvex::Widened(c.from);
    EXPECT_EQ(r.left, c.to.left);
    EXPECT_EQ(r.top, c.to.top);
    EXPECT_EQ(r.right, c.to.right);
    EXPECT_EQ(r.bottom, c.to.bottom);
  }
}

}  // namespace
