// The wizard and the shared-file question in this process, scripted through
// the answers file: paging, selections, the rollback choice, the cancel
// question and the pressed button of the shared-file question.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "run_state.h"
#include "start/main_window.h"
#include "win/dialog.h"
#include "win/library.h"
#include "win/window.h"
#include "win_testing/test_machine.h"
#include "win/gdi.h"
#include "win/message.h"
#include "win/controls.h"
#include "wizard/item_dlg.h"
#include "wizard/progress_bar.h"
#include "wizard/shared_dlg.h"
#include "wizard/widen.h"
#include "wizard/wizard_run.h"

namespace {

using win_testing::TestMachine;

class WizardDialogsTest : public ::testing::Test {
 protected:
  // A fresh machine with these answers, and a main window titled "Uninstall Demo".
  void use(const std::string& answers) {
    machine_.reset();
    machine_ = std::make_unique<TestMachine>(std::string(remvex_tests::kUiIni) + "[system]\nscreen = 800x600\n");
    TestMachine::writeText(machine_->stateDir() + "/answers.txt", answers);
    remvex::Run() = {};
    remvex::Wizard() = {};
    remvex::Screen() = {};
    win::HINSTANCE instance = win::GetModuleHandle(nullptr);
    remvex::CreateTitleFont(instance, remvex::StartSettings{});
    ASSERT_NE(remvex::RegisterMainClass(instance), 0);
    const std::string title = "Uninstall Demo";
    ASSERT_EQ(remvex::CreateMainWindow(instance, 0, &title, true), 1);
  }
  // Runs the wizard over log; true unless cancelled.
  bool runWizard(remvex::LogState& log, bool automatic = false, bool dialogLibrary = false,
                 win::HINSTANCE instance = win::GetModuleHandle(nullptr)) {
    remvex::WizardSetup setup;
    setup.dialogLibrary = dialogLibrary;
    setup.instance = instance;
    setup.owner = remvex::MainWindow();
    setup.automatic = automatic;
    remvex::Run().automatic = automatic;
    setup.rollback = &remvex::Run().rollback;
    return remvex::RunWizard(setup, log);
  }
  void TearDown() override {
    remvex::CloseWizard();
    if (remvex::MainWindow()) win::DestroyWindow(remvex::MainWindow());
    remvex::FreeTitleFont();
  }
  // The texts control id was given, in order.
  std::vector<std::string> textsOf(int id) const {
    std::vector<std::string> out;
    const std::string marker = "\"id\":" + std::to_string(id) + ",\"text\":\"";
    for (const std::string& line : remvex_tests::transcriptLines(*machine_, {"\"ev\":\"text\"", marker})) {
      const auto at = line.find(marker) + marker.size();
      out.push_back(line.substr(at, line.rfind('"') - at));
    }
    return out;
  }
  std::size_t count(const std::vector<std::string>& parts) const {
    return remvex_tests::transcriptLines(*machine_, parts).size();
  }

  std::unique_ptr<TestMachine> machine_;
};

remvex::LogState iniFilesLog(std::uint32_t selected) {
  remvex::LogState log;
  log.title = "Demo";
  log.lists.iniFiles.add({"C:\\WINDOWS\\DEMO.INI", selected, 1});
  log.lists.iniFiles.add({"C:\\WINDOWS\\MORE.INI", selected, 1});
  return log;
}

TEST_F(WizardDialogsTest, CustomPagesPassEmptyListsAndKeepSelections) {
  struct Case {
    const char* name;
    std::uint32_t before;
    const char* answers;
    std::uint32_t after;
  };
  const Case cases[] = {
      {"Select All", 0, "106 1 check 1001=1\n106 3\n106 1\n106 5\n106 1\n106 1\n", 1},
      {"Select None", 1, "106 1 check 1001=1\n106 77\n106 1\n106 5\n106 1\n106 1\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.answers);
    remvex::LogState log = iniFilesLog(c.before);
    EXPECT_TRUE(runWizard(log));
    EXPECT_TRUE(remvex::Wizard().finish);
    EXPECT_EQ(remvex::Run().uninstallMode, remvex::kCustomMode);
    EXPECT_EQ(textsOf(1005), (std::vector<std::string>{"Select Uninstall Method", "Select INI Files to Remove",
                                                       "Perform Uninstall", "Select INI Files to Remove",
                                                       "Perform Uninstall"}));
    EXPECT_EQ(textsOf(1), (std::vector<std::string>{"&Finish", "&Next >", "&Finish"}));
    for (const auto& r : log.lists.iniFiles.records()) EXPECT_EQ(r.selected, c.after);
    TearDown();
  }
}

TEST_F(WizardDialogsTest, AutomaticPagesAndTheRollbackChoice) {
  struct Case {
    const char* name;
    bool offered;
    const char* answers;
    std::vector<std::string> titles;
    bool rollback;
  };
  const Case cases[] = {
      {"Yes on the rollback page", true, "106 1\n106 1 check 1000=1\n106 1\n",
       {"Select Uninstall Method", "Perform Rollback", "Perform Uninstall"}, true},
      {"No on the rollback page", true, "106 1\n106 1 check 1001=1\n106 1\n",
       {"Select Uninstall Method", "Perform Rollback", "Perform Uninstall"}, false},
      {"back from perform to the rollback page and the method", true, "106 1\n106 1\n106 5\n106 5\n106 1\n106 1\n106 1\n",
       {"Select Uninstall Method", "Perform Rollback", "Perform Uninstall", "Perform Rollback",
        "Select Uninstall Method", "Perform Rollback", "Perform Uninstall"},
       false},
      {"no offer: straight to perform", false, "106 1\n106 1\n", {"Select Uninstall Method", "Perform Uninstall"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.answers);
    remvex::LogState log;
    log.title = "Demo";
    log.rollbackOffered = c.offered;
    EXPECT_TRUE(runWizard(log));
    EXPECT_EQ(textsOf(1005), c.titles);
    EXPECT_EQ(remvex::Run().rollback, c.rollback);
    EXPECT_EQ(remvex::Run().uninstallMode, remvex::kAutomaticMode);
    TearDown();
  }
}

TEST_F(WizardDialogsTest, CancelAsksAndYesStopsTheWizard) {
  struct Case {
    const char* name;
    const char* answers;
    bool cancelled;
  };
  const Case cases[] = {
      {"Yes", "106 2\n\"Uninstall\" 6\n", true},
      {"No goes on", "106 2\n\"Uninstall\" 7\n106 1\n106 1\n", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.answers);
    remvex::LogState log = iniFilesLog(0);
    EXPECT_EQ(runWizard(log), !c.cancelled);
    EXPECT_EQ(remvex::WizardCancelled(), c.cancelled);
    EXPECT_EQ(remvex::Wizard().finish, !c.cancelled);
    EXPECT_EQ(count({"\"ev\":\"messagebox\"", "\"caption\":\"Uninstall\"",
                     "\"text\":\"Are you sure you want to cancel the uninstall?\"", "\"buttons\":[6,7]"}),
              1u);
    if (c.cancelled) {
      EXPECT_FALSE(win::IsWindowVisible(remvex::Run().wizard));
    }
    TearDown();
  }
}

TEST_F(WizardDialogsTest, WithoutItsDialogOnlyAnAutomaticRunGoesOn) {
  for (bool automatic : {false, true}) {
    SCOPED_TRACE(automatic);
    use("");
    remvex::LogState log = iniFilesLog(1);
    // A module without the wizard's template.
    EXPECT_EQ(runWizard(log, automatic, false, win::GetModuleHandle("KERNEL32.DLL")), automatic);
    EXPECT_EQ(remvex::WizardCancelled(), !automatic);
    EXPECT_EQ(remvex::Run().wizard, nullptr);
    TearDown();
  }
}

TEST_F(WizardDialogsTest, ListPageShowsEveryLineWithItsSelectionAndWidth) {
  use("");
  remvex::LogState log = iniFilesLog(0);
  log.lists.iniFiles.records()[1].selected = 1;
  log.lists.iniFiles.add({"C:\\X.INI", 0, 1});
  runWizard(log, true);
  remvex::Wizard().page = 4;
  remvex::FillWizardPage();
  win::HWND wizard = remvex::Run().wizard;
  ASSERT_EQ(win::SendDlgItemMessage(wizard, 1003, win::LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(remvex::Wizard().itemCount, 3);
  for (int i : {0, 1, 2}) EXPECT_EQ(win::SendDlgItemMessage(wizard, 1003, win::LB_GETSEL, i, 0) > 0, i == 1) << i;
  // The widest line, 19 characters of the dialog font's 6 pixels.
  EXPECT_EQ(win::SendDlgItemMessage(wizard, 1003, win::LB_GETHORIZONTALEXTENT, 0, 0), 114);
  EXPECT_TRUE(win::IsWindowVisible(win::GetDlgItem(wizard, 1003)));
  EXPECT_FALSE(win::IsWindowVisible(win::GetDlgItem(wizard, 1000)));
  EXPECT_FALSE(win::IsWindowVisible(win::GetDlgItem(wizard, 1004)));
}

TEST_F(WizardDialogsTest, ProgressBarPaintsDarkBlueBlocks) {
  struct Case {
    const char* name;
    bool dialogLibrary;
    win::RECT inside;
    std::uint32_t total, done;
    std::size_t blocks;
  };
  const Case cases[] = {
    {"half of 200 x 12, framed without the dialog library", false, {10, 20, 210, 32}, 10, 5, 13},
    {"with the dialog library no frame", true, {10, 20, 210, 32}, 10, 5, 13},
    {"3 pixels high draws nothing", false, {10, 20, 210, 23}, 10, 5, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use("");
    remvex::LogState log;
    runWizard(log, true, c.dialogLibrary);
    remvex::Wizard().progress = c.inside;
    remvex::Progress() = {c.total, c.done, true};
    remvex::InvalidateProgressArea();
    win::UpdateWindow(remvex::Run().wizard);
    const auto blocks = remvex_tests::transcriptLines(*machine_, {"\"call\":\"ExtTextOut\""});
    EXPECT_EQ(blocks.size(), c.blocks);
    if (!blocks.empty()) {
      EXPECT_NE(blocks.front().find("\"options\":\"0x00000006\",\"rect\":[10,21,15,31]"), std::string::npos)
          << blocks.front();
      EXPECT_NE(blocks.front().find("\"bkcolor\":\"#00007f\""), std::string::npos) << blocks.front();
    }
    EXPECT_EQ(count({"\"call\":\"FrameRect\"", "\"rect\":[9,19,211," + std::to_string(c.inside.bottom + 1) + "]"}),
              c.dialogLibrary ? 0u : 1u);
    const std::string area = "\"rect\":[" + std::to_string(c.inside.left) + "," + std::to_string(c.inside.top) + "," +
                             std::to_string(c.inside.right) + "," + std::to_string(c.inside.bottom) + "],\"erase\":false";
    EXPECT_EQ(count({"\"ev\":\"invalidate\"", area}), 1u);
    remvex::Progress() = remvex::UndoProgress();
    TearDown();
  }
}

TEST_F(WizardDialogsTest, ControlsGetTheOneLightDialogFont) {
  use("");
  remvex::Screen().charSet = 238;
  remvex::LogState log;
  runWizard(log, true);
  win::HFONT font = remvex::DialogFont();
  ASSERT_NE(font, nullptr);
  win::LOGFONTA logFont{};
  ASSERT_EQ(win::GetObject(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
  EXPECT_EQ(logFont.lfWeight, 300);
  EXPECT_EQ(logFont.lfCharSet, 238);
  EXPECT_STREQ(logFont.lfFaceName, "MS Sans Serif");
  for (int id : {1002, 1003, 1, 2})
    EXPECT_EQ(reinterpret_cast<win::HFONT>(win::SendDlgItemMessage(remvex::Run().wizard, id, win::WM_GETFONT, 0, 0)),
              font)
        << id;
  EXPECT_EQ(reinterpret_cast<win::HFONT>(win::SendDlgItemMessage(remvex::Run().wizard, 1005, win::WM_GETFONT, 0, 0)),
            remvex::Screen().titleFont);
}

TEST_F(WizardDialogsTest, SharedQuestionReturnsThePressedButton) {
  struct Case {
    const char* name;
    const char* answers;
    int pressed;
  };
  const Case cases[] = {
      {"Yes", "104 1007\n", remvex::kSharedYes},
      {"No", "104 1006\n", remvex::kSharedNo},
      {"No to All is the default", "", remvex::kSharedNoToAll},
      {"closing keeps the file", "104 2\n", remvex::kSharedNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    use(c.answers);
    EXPECT_EQ(remvex::AskSharedFile("C:\\WINDOWS\\SYSTEM\\SHARED.DLL"), c.pressed);
    const std::string text =
        "\"text\":\"The system indicates that the following shared file is no longer used by any programs and may be "
        "deleted.\\u000a\\u000aC:\\\\WINDOWS\\\\SYSTEM\\\\SHARED.DLL\\u000a\\u000aIf any programs are still using "
        "this file and it is removed those programs may not function. Leaving this file will not harm your system.";
    EXPECT_EQ(count({"\"ev\":\"dialog\"", "\"key\":\"104\"", "\"title\":\"Remove Shared Component\"", text}), 1u)
        << TestMachine::readText(machine_->stateDir() + "/t.jsonl");
    // Centred on the 800 x 600 screen.
    const auto shown = remvex_tests::transcriptLines(*machine_, {"\"ev\":\"dialog\"", "\"key\":\"104\""});
    ASSERT_EQ(shown.size(), 1u);
    int l = 0, t = 0, r = 0, b = 0;
    ASSERT_EQ(std::sscanf(shown[0].c_str() + shown[0].find("\"rect\":["), "\"rect\":[%d,%d,%d,%d]", &l, &t, &r, &b), 4);
    EXPECT_LE(std::abs(l + r - 800), 1) << l << " " << r;
    EXPECT_LE(std::abs(t + b - 600), 1) << t << " " << b;
    EXPECT_NE(shown[0].find("{\"id\":1,\"class\":\"Button\",\"text\":\"No to &All\",\"style\":\"0x50010001\""),
              std::string::npos);
    TearDown();
  }
}

}  // namespace
