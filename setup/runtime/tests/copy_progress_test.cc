// The copy progress: the percentage and per-mille figures from each source, the
// progress library's Update calls and its cancel question, and the copy dialog
// without the library.
#include "entry/copy_progress.h"

#include <string>
#include <vector>

#include "copy_fixture.h"
#include "entry/main_state.h"
#include "interp/cursor.h"
#include "script/variables.h"
#include "ui/dialog_look.h"
#include "win/dialog.h"

namespace {

class CopyProgressTest : public merl_testing::CopyFixture {
 protected:
  // Loads the progress double as the run's progress library.
  void useProgressDouble() {
    library_ = win::LoadLibrary(placeDouble(MERL_PROGRESS_DOUBLE, "PROG.DLL").c_str());
    ASSERT_TRUE(library_);
    merl::mainState().progress = win::procAddress<merl::ProgressUpdateProc>(library_, "Update");
    ASSERT_TRUE(merl::mainState().progress);
  }
  void TearDown() override {
    merl::mainState().progress = nullptr;
    if (library_) win::FreeLibrary(library_);
  }
  // Bytes done against the header's total (option 0x10000).
  void bytesDone(win::DWORD done, win::DWORD total) {
    setup_.optionWord = merl::kOptionBytesDoneProgress;
    setup_.bytesDone = done;
    merl::scriptHeader().totalBytes = total;
  }

  win::HINSTANCE library_ = nullptr;
};

TEST_F(CopyProgressTest, PercentageIsTheNearestAndStaysWithinTheTotal) {
  struct Case {
    win::DWORD done, total;
    int percentage;
  } cases[] = {
      {1999999, 4000000, 50}, {3000000, 6000000, 50}, {0, 0, 0},           {7, 0, 100},
      {5000000, 4000000, 100}, {0, 4000000, 0},       {19, 4000, 0},       {20, 4000, 1},
      {0xFFFFFFFFu, 0xFFFFFFFFu, 100}, {0x7FFFFFFFu, 0xFFFFFFFFu, 50},
  };
  begin();
  for (const Case& c : cases) {
    bytesDone(c.done, c.total);
    win::DWORD done = 99, total = 0;
    EXPECT_EQ(merl::GetProgressFraction(done, total), c.percentage) << c.done << "/" << c.total;
    EXPECT_GE(total, 1u);
    EXPECT_LE(total, merl::kProgressScaleLimit);
    EXPECT_LE(done, total);
    EXPECT_EQ(merl::progressFigures().percentage, c.percentage);
  }
}

TEST_F(CopyProgressTest, EachOptionChoosesItsProgressSource) {
  begin();
  merl::mainState().dataBaseOffset = 1000;
  merl::scriptHeader().totalBytes = 2000;
  setup_.bytesDone = 100;
  setup_.readOffset = 1900;  // 900 bytes of data read
  win::DWORD done = 0, total = 0;
  EXPECT_EQ(merl::GetProgressFraction(done, total), 50);
  setup_.readOffset = 10;  // before the data: nothing done
  setup_.bytesDone = 0;
  EXPECT_EQ(merl::GetProgressFraction(done, total), 0);

  setup_.optionWord = merl::kOptionScriptProgress;
  merl::ScriptHeader& h = merl::scriptHeader();
  h.recordAreaLength = 400;
  merl::cursor().position = h.position + 100;
  EXPECT_EQ(merl::GetProgressFraction(done, total), 25);
  EXPECT_EQ(total, 400u);
}

TEST(PerMille, SixtyOfAHundredMegabytesIs600AndNothingWraps) {
  struct Case {
    unsigned long long part, whole;
    int perMille;
  } cases[] = {{60ull << 20, 100ull << 20, 600}, {45000000, 50000000, 900}, {5, 0, 0}, {9, 4, 1000}, {0, 7, 0}};
  for (const Case& c : cases) EXPECT_EQ(merl::PerMille(c.part, c.whole), c.perMille) << c.part << "/" << c.whole;
}

TEST_F(CopyProgressTest, TheProgressLibraryGetsTextFiguresAndAFreshBlock) {
  begin();
  useProgressDouble();
  merl::scriptHeader().dialogPosition = 5;
  merl::SetVar("SOMEVAR", "1");
  struct Case {
    win::DWORD fileSize;
    int totalPerMille, filePerMille;
  } cases[] = {{100u << 20, 350, 600}, {0, 350, 0}};
  for (const Case& c : cases) {
    bytesDone(10u << 20, 200u << 20);
    merl::StartFileProgress(c.fileSize);
    setup_.bytesDone = 70u << 20;
    merl::ShowCopyProgress("Copying");
    merl_kit::JsonValue u = calls("progress", "Update").back();
    EXPECT_EQ(u["command"].integer(), 1);
    EXPECT_EQ(u["position"].integer(), 5);
    EXPECT_EQ(u["text"].text(), "Copying");
    EXPECT_EQ(u["total_per_mille"].integer(), c.totalPerMille);
    EXPECT_EQ(u["file_per_mille"].integer(), c.filePerMille) << c.fileSize;
    EXPECT_EQ(u["parameter_text"].text(), "");
    EXPECT_EQ(u["block_size"].integer(), merl::kActionParamsSize);
    EXPECT_EQ(u["variable_count"].integer(), merl::variables().count);
  }
  merl::CloseCopyDialog();
  merl_kit::JsonValue closed = calls("progress", "Update").back();
  EXPECT_EQ(closed["command"].integer(), 2);
  EXPECT_EQ(closed["position"].integer(), 0);
  EXPECT_FALSE(closed["text_given"].boolean());
  EXPECT_EQ(closed["total_per_mille"].integer(), 0);
  EXPECT_EQ(closed["file_per_mille"].integer(), 0);
  EXPECT_FALSE(run_().state<merl::CopyProgressLink>().showing);
}

TEST_F(CopyProgressTest, AWindowFromUpdateAsksTheCancelQuestionAndOnlyYesAborts) {
  struct Case {
    const char* config;
    const char* answer;
    win::DWORD abortFlag;
    std::size_t questions;
  } cases[] = {{"[progress]\nresult1 = main\n", "114 1\n", 1, 1},
               {"[progress]\nresult1 = main\n", "114 3\n", 0, 1},
               {"", "", 0, 0}};
  for (const Case& c : cases) {
    begin(c.config);
    useProgressDouble();
    answers(c.answer);
    merl::ShowCopyProgress("Copying");
    EXPECT_EQ(setup_.abortFlag, c.abortFlag) << c.answer;
    std::vector<std::string> shown = boxes();
    ASSERT_EQ(shown.size(), c.questions);
    if (c.questions) {
      EXPECT_EQ(shown[0], "M18: %s|M31: %s");
    }
    TearDown();
    library_ = nullptr;
  }
}

TEST_F(CopyProgressTest, WithoutTheLibraryTheCopyDialogShowsTheTextAndCloseDestroysIt) {
  begin();
  win::HWND dialog = merl::OpenCopyDialog("");
  ASSERT_TRUE(dialog);
  EXPECT_FALSE(win::IsWindowEnabled(setup_.mainWindow));
  EXPECT_TRUE(win::IsWindowVisible(dialog));
  merl::ShowCopyProgress("Copying");
  char text[32] = {};
  win::GetDlgItemText(dialog, merl::kCopyStatusControl, text, sizeof text);
  EXPECT_STREQ(text, "Copying");
  EXPECT_EQ(merl::OpenCopyDialog("Again"), dialog);  // an open one only gets the text
  merl::CloseCopyDialog();
  EXPECT_FALSE(win::IsWindow(dialog));
  EXPECT_TRUE(win::IsWindowEnabled(setup_.mainWindow));
  EXPECT_FALSE(run_().state<merl::CopyProgressLink>().copyDialog);
  merl::CloseCopyDialog();  // nothing left to close
  std::vector<merl_kit::JsonValue> made = events("dialog");
  ASSERT_EQ(made.size(), 1u);
  EXPECT_EQ(made[0]["key"].text(), "1538");
}

TEST_F(CopyProgressTest, TheCopyDialogIsPlacedByCodeAndOpenedOnce) {
  begin();
  const win::HWND dialog = merl::OpenCopyDialog("x");
  ASSERT_TRUE(dialog);
  win::RECT opened{}, placed{};
  win::GetWindowRect(dialog, &opened);
  merl::PlaceDialog(dialog, 2);
  win::GetWindowRect(dialog, &placed);
  EXPECT_EQ(opened.left, placed.left);
  EXPECT_EQ(opened.top, placed.top);
  EXPECT_EQ(merl::OpenCopyDialog("y"), dialog);
  EXPECT_FALSE(win::IsWindowEnabled(setup_.mainWindow));
  merl::CloseCopyDialog();
  EXPECT_TRUE(win::IsWindowEnabled(setup_.mainWindow));
}

}  // namespace
