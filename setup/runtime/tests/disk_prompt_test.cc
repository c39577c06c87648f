// DiskPrompt: the end of a single-file installation, the next disk's number,
// name and base offset, the disk dialog while the file cannot be opened, and
// the copy progress closed and shown again around it.
#include "entry/disk_prompt.h"

#include <string>
#include <vector>

#include "entry/copy_progress.h"
#include "entry/screen_services.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "win/dialog.h"
#include "win/files.h"
#include "win/library.h"
#include "win/process.h"
#include "win/window.h"

namespace {

class DiskPromptTest : public merl_testing::RuntimeTest {
 protected:
  // Files below C:\SETUP, a run with the disk size and first-disk offset, %INST% C:\SETUP.
  void start(std::vector<std::string> files, win::DWORD diskSize, win::DWORD firstDisk = 0,
             const std::string& ini = "") {
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\n" + ini);
    ASSERT_TRUE(win::declareModulePath("C:\\SETUP\\SETUP.EXE"));
    for (const std::string& f : files) machine().makeFile("SETUP/" + f, f);
    setup_ = {};
    setup_.setupInstance = win::GetModuleHandle(nullptr);
    win::WNDCLASSA wc{};
    wc.lpfnWndProc = win::DefWindowProc;
    wc.hInstance = setup_.setupInstance;
    wc.lpszClassName = "DiskTestMain";
    win::RegisterClass(&wc);
    setup_.mainWindow = win::CreateWindowEx(0, "DiskTestMain", "Setup", win::WS_POPUP, 0, 0, 640, 480, nullptr,
                                            nullptr, wc.hInstance, nullptr);
    setup_.installFile = win::INVALID_HANDLE_VALUE;
    scope_.reset();
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    merl::scriptHeader().diskSize = diskSize;
    merl::scriptHeader().diskOffsetAdjust = firstDisk;
    merl::SetVar("INST", "C:\\SETUP");
  }
  void TearDown() override {
    if (open()) win::CloseHandle(setup_.installFile);
    scope_.reset();
  }
  void openFirst() {
    setup_.installFile = win::CreateFile("C:\\SETUP\\SETUP.EXE", win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                         win::OPEN_EXISTING, 0, nullptr);
  }
  bool open() const { return setup_.installFile != win::INVALID_HANDLE_VALUE; }
  // The open disk file's text.
  std::string openText() {
    char text[32] = {};
    win::DWORD read = 0;
    win::ReadFile(setup_.installFile, text, sizeof text - 1, &read, nullptr);
    return text;
  }
  std::string var(const char* name) {
    char text[merl::kValueSlotSize] = {};
    merl::GetVar(name, text, sizeof text);
    return text;
  }
  int beeps() {
    int n = 0;
    for (merl_kit::JsonValue& l : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
      n += l["ev"].text() == "beep";
    return n;
  }

  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(DiskPromptTest, AnOpenFileIsOnlyLeftForTheNextDiskOfAMultiDiskInstallation) {
  struct Case {
    win::DWORD diskSize;
    int atEnd, reopen;
    int result;
    win::DWORD abortFlag, errorByte;
  } cases[] = {
      {0, 1, 1, 1, 2, 2},     // the end of a single-file installation
      {0, 1, 0, 1, 2, 2},
      {0, 0, 1, 1, 0, 0},     // nothing to switch to
      {1000, 1, 0, 1, 0, 0},  // not asked to reopen
  };
  for (const Case& c : cases) {
    start({"SETUP.EXE"}, c.diskSize);
    openFirst();
    win::HANDLE before = setup_.installFile;
    EXPECT_EQ(DiskPrompt(c.atEnd, c.reopen), c.result) << c.diskSize << c.atEnd << c.reopen;
    EXPECT_EQ(setup_.abortFlag, c.abortFlag);
    EXPECT_EQ(setup_.errorByte, c.errorByte);
    EXPECT_EQ(setup_.installFile, before);
  }
}

TEST_F(DiskPromptTest, TheReadOffsetChoosesTheDiskItsNameAndBase) {
  struct Case {
    win::DWORD readOffset, diskSize, firstDisk;
    const char* file;
    const char* number;
    win::DWORD base;
  } cases[] = {
      {0, 0, 0, "SETUP.EXE", "1", 0},
      {500, 1000, 100, "SETUP.EXE", "1", 0},
      {1500, 1000, 100, "SETUP.W02", "2", 900},
      {11000, 1000, 0, "SETUP.W12", "12", 11000},
      {850000, 1000000, 200000, "SETUP.W02", "2", 800000},  // position 50,000 in the disk file
      {799999, 1000000, 200000, "SETUP.EXE", "1", 0},
      {11000000, 1000000, 200000, "SETUP.W12", "12", 10800000},
      {11000000, 0, 200000, "SETUP.EXE", "1", 0},
  };
  for (const Case& c : cases) {
    start({"SETUP.EXE", "SETUP.W02", "SETUP.W12"}, c.diskSize, c.firstDisk);
    if (c.diskSize) openFirst();  // the finished disk is closed first; without disks none is open
    setup_.readOffset = c.readOffset;
    EXPECT_EQ(DiskPrompt(1, 1), 0) << c.file;
    ASSERT_TRUE(open()) << c.file;
    EXPECT_EQ(openText(), c.file);
    EXPECT_EQ(var("DISK_NUMBER"), c.number);
    EXPECT_EQ(setup_.diskBaseOffset, c.base) << c.file;
    EXPECT_EQ(setup_.abortFlag, 0u);
  }
}

TEST_F(DiskPromptTest, AMissingDiskIsAskedForUntilItOpensOrTheUserGivesUp) {
  struct Case {
    const char* name;
    bool silent;
    std::vector<merl::DiskDialogOutcome> answers;  // the disk appears after the last answer
    bool appears;
    int dialogs;
    int result;
  } cases[] = {
      {"silent", true, {}, false, 0, 1},
      {"cancelled", false, {{-1, false}}, false, 1, 1},
      {"closed", false, {{merl::kDiskDialogGiveUp, false}}, false, 1, 1},
      {"cancel control", false, {{5, true}}, false, 1, 1},
      {"found after OK", false, {{1, false}, {1, false}}, true, 2, 0},
  };
  for (const Case& c : cases) {
    start({}, 0);
    setup_.silentFlag = c.silent;
    setup_.optionWord = 0x800;
    int dialogs = 0;
    scope_->run().state<merl::DiskDialogLink>().show = [&] {
      merl::DiskDialogOutcome o = c.answers[dialogs++];
      if (c.appears && dialogs == static_cast<int>(c.answers.size())) machine().makeFile("NEW/SETUP.EXE", "new");
      if (c.appears && dialogs == static_cast<int>(c.answers.size())) merl::SetVar("INST", "C:\\NEW\\");
      return o;
    };
    EXPECT_EQ(DiskPrompt(0, 0), c.result) << c.name;
    EXPECT_EQ(dialogs, c.dialogs) << c.name;
    EXPECT_EQ(beeps(), c.dialogs) << c.name;
    EXPECT_EQ(setup_.abortFlag, c.result ? 1u : 0u) << c.name;
    EXPECT_EQ(open(), c.result == 0) << c.name;
    if (open()) {
      EXPECT_EQ(openText(), "new");
    }
  }
}

TEST_F(DiskPromptTest, TheCopyDialogIsClosedOnceAndComesBackWithItsText) {
  start({}, 0);
  setup_.optionWord = 0x800;
  win::HWND first = merl::OpenCopyDialog("C:\\APP\\X.DLL");
  ASSERT_TRUE(first);
  int dialogs = 0;
  scope_->run().state<merl::DiskDialogLink>().show = [&] {
    EXPECT_FALSE(win::IsWindow(first));
    EXPECT_TRUE(win::IsWindowEnabled(setup_.mainWindow));
    if (++dialogs == 2) machine().makeFile("SETUP/SETUP.EXE", "x");
    return merl::DiskDialogOutcome{1, false};
  };
  EXPECT_EQ(DiskPrompt(0, 0), 0);
  EXPECT_EQ(dialogs, 2);
  EXPECT_EQ(beeps(), 2);
  // The transcript: 1538 made, destroyed before the first prompt, made again.
  std::vector<std::string> seen;
  for (merl_kit::JsonValue& l : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl"))) {
    std::string ev = l["ev"].text();
    if (ev == "dialog") seen.push_back("dialog " + l["key"].text());
    if (ev == "window-destroy" && l["hwnd"].integer() == static_cast<long long>(win::handleValue(first)))
      seen.push_back("destroyed");
    if (ev == "beep") seen.push_back("beep");
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"dialog 1538", "destroyed", "beep", "beep", "dialog 1538"}));
  win::HWND again = scope_->run().state<merl::CopyProgressLink>().copyDialog;
  ASSERT_TRUE(again);
  char text[64] = {};
  win::GetDlgItemText(again, merl::kCopyStatusControl, text, sizeof text);
  EXPECT_STREQ(text, "C:\\APP\\X.DLL");
  EXPECT_FALSE(win::IsWindowEnabled(setup_.mainWindow));
  merl::CloseCopyDialog();
}

TEST_F(DiskPromptTest, AGivenUpDiskLeavesTheCopyDialogClosed) {
  for (int answer : {merl::kDiskDialogGiveUp, -1}) {
    start({}, 0);
    merl::OpenCopyDialog("C:\\APP\\X.DLL");
    scope_->run().state<merl::DiskDialogLink>().show = [&] { return merl::DiskDialogOutcome{answer, false}; };
    EXPECT_EQ(DiskPrompt(0, 0), 1) << answer;
    EXPECT_EQ(setup_.abortFlag, 1u);
    EXPECT_FALSE(scope_->run().state<merl::CopyProgressLink>().copyDialog);
    EXPECT_TRUE(win::IsWindowEnabled(setup_.mainWindow));
  }
}

TEST_F(DiskPromptTest, AShortProgramNameOrADiskAbove99IsAMissingDisk) {
  struct Case {
    const char* module;
    win::DWORD readOffset;
  } cases[] = {{"C:\\SETUP\\AB", 0}, {"C:\\SETUP\\SETUP.EXE", 100 * 1000}};
  for (const Case& c : cases) {
    start({"SETUP.EXE", "AB", "SETUP.W99"}, 1000);
    ASSERT_TRUE(win::declareModulePath(c.module));
    setup_.readOffset = c.readOffset;
    setup_.silentFlag = 1;
    EXPECT_EQ(DiskPrompt(0, 0), 1) << c.module;
    EXPECT_EQ(setup_.abortFlag, 1u);
    EXPECT_FALSE(open());
  }
}

TEST(DiskFileName, DiskOneEndsInExeLaterDisksInTheirNumber) {
  struct Case {
    const char* program;
    long number;
    const char* name;
  } cases[] = {{"SETUP.EXE", 1, "SETUP.EXE"}, {"SETUP.EXE", 2, "SETUP.W02"}, {"SETUP.EXE", 12, "SETUP.W12"},
               {"SETUP.EXE", 99, "SETUP.W99"}, {"SETUP.EXE", 100, ""}, {"AB", 3, ""}, {"ABC", 1, "EXE"}};
  for (const Case& c : cases) EXPECT_EQ(merl::diskFileName(c.program, c.number), c.name) << c.number;
  EXPECT_EQ(merl::diskNumberOf(0xFFFFFF00u, 0x200, 0x1000), 0x100001);  // no 32-bit wrap
  EXPECT_EQ(merl::diskNumberOf(5000, 0, 0x80000000u), 1);              // a negative disk size
}

TEST(DiskPromptOutsideARun, AnswersNotOpen) { EXPECT_EQ(DiskPrompt(1, 1), 1); }

}  // namespace
