// The placed-graphic slots: the slide switch driven by the copy progress, its
// limits with a full table, the invalidated rectangles and the slot's memory.
#include "entry/placed_graphics.h"

#include <string>
#include <vector>

#include "copy_fixture.h"
#include "entry/copy_progress.h"

namespace {

class PlacedGraphicsTest : public merl_testing::CopyFixture {
 protected:
  // Puts a graphic into slot, tagged by its source width.
  void place(int slot, int tag, bool slide, win::WORD flags = 0) {
    merl::PlacedGraphic& g = merl::graphicsTable().slots[slot];
    g.data = static_cast<merl::BYTE*>(merl::AllocGraphicMemory(slot, 16));
    ASSERT_TRUE(g.data);
    g.sourceWidth = static_cast<win::DWORD>(tag);
    g.slideShow = slide;
    g.flags = flags;
  }
  int tag(int slot) {
    const merl::PlacedGraphic& g = merl::graphicsTable().slots[slot];
    return g.used() ? static_cast<int>(g.sourceWidth) : 0;
  }
  // The percentage the progress computation sees.
  void progressAt(int percentage) {
    setup_.optionWord = merl::kOptionBytesDoneProgress;
    merl::scriptHeader().totalBytes = 100;
    setup_.bytesDone = static_cast<win::DWORD>(percentage);
    win::DWORD done, total;
    merl::GetProgressFraction(done, total);
  }
  merl::BYTE threshold() { return merl::progressFigures().nextSlideThreshold; }
};

TEST_F(PlacedGraphicsTest, ThreePendingSlidesShareTheRestOfTheProgressEvenly) {
  begin();
  place(0, 1, true);  // the slide showing
  place(31, 2, true);
  place(30, 3, true);
  place(29, 4, true);
  merl::progressFigures().nextSlideThreshold = 10;
  std::vector<std::string> seen;
  int shown = tag(0);
  for (int p = 0; p <= 100; ++p) {
    progressAt(p);
    if (tag(0) != shown) {
      shown = tag(0);
      seen.push_back(std::to_string(p) + ":" + std::to_string(shown) + "->" + std::to_string(threshold()));
    }
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"10:2->40", "40:3->70", "70:4->255"}));
  for (int slot = 1; slot < merl::kGraphicSlots; ++slot) EXPECT_FALSE(tag(slot)) << slot;
}

TEST_F(PlacedGraphicsTest, AFullTableMovesOnlyThePendingSlides) {
  struct Case {
    const char* name;
    int shownSlot;  // -1: no slide is showing
    std::vector<int> after;  // tags of slots 27..31 after the switch
    int threshold;
  } cases[] = {
      {"slide showing in 28", 28, {127, 31, 0, 29, 30}, 20 + 80 / 3},
      {"no slide showing", -1, {127, 128, 129, 130, 31}, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    begin();
    for (int slot = 0; slot < 29; ++slot) place(slot, 100 + slot, slot == c.shownSlot);
    if (c.shownSlot < 0) place(29, 129, false), place(30, 130, false);
    else place(29, 29, true), place(30, 30, true);
    place(31, 31, true);
    merl::progressFigures().nextSlideThreshold = 20;
    progressAt(20);
    std::vector<int> after;
    for (int slot = 27; slot < 32; ++slot) after.push_back(tag(slot));
    EXPECT_EQ(after, c.after);
    EXPECT_EQ(threshold(), c.threshold);
    for (int slot = 0; slot < 27; ++slot) EXPECT_EQ(tag(slot), 100 + slot);
  }
}

TEST_F(PlacedGraphicsTest, NoSlideInSlot31LeavesTheTableAsItIs) {
  begin();
  place(0, 1, true);
  merl::progressFigures().nextSlideThreshold = 5;
  progressAt(50);
  EXPECT_EQ(tag(0), 1);
  EXPECT_EQ(threshold(), merl::kNoSlidePending);
}

TEST_F(PlacedGraphicsTest, InvalidationWidensToTheEdgeTheSlideComesFrom) {
  struct Case {
    int effect;
    win::WORD extraFlags;
    bool widen;
    const char* rect;
  } cases[] = {
      {0, 0, true, "100,50,140,80"},  {2, 0, true, "100,0,140,80"},    {3, 0, true, "100,50,140,600"},
      {4, 0, true, "0,50,140,80"},    {5, 0, true, "100,50,800,80"},   {5, 0, false, "100,50,140,80"},
      {1, 0, true, "100,50,140,80"},  {2, 0x40, true, "all"},
  };
  for (const Case& c : cases) {
    begin();
    place(3, 1, false, static_cast<win::WORD>((c.effect << 7) | c.extraFlags));
    merl::PlacedGraphic& g = merl::graphicsTable().slots[3];
    g.x = 100, g.y = 50, g.displayWidth = 40, g.displayHeight = 30;
    merl::InvalidateGraphic(3, c.widen);
    EXPECT_EQ(invalidations(setup_.mainWindow), std::vector<std::string>{c.rect}) << c.effect << " " << c.widen;
  }
}

TEST_F(PlacedGraphicsTest, FreeingEmptiesTheSlot) {
  begin();
  place(2, 7, false);
  EXPECT_TRUE(merl::graphicsTable().slots[2].memory);
  merl::FreeGraphic(2);
  EXPECT_FALSE(merl::graphicsTable().slots[2].used());
  EXPECT_FALSE(merl::graphicsTable().slots[2].memory);
  EXPECT_FALSE(merl::AllocGraphicMemory(32, 16));
  merl::FreeGraphic(-1);
}

}  // namespace
