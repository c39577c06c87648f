// The directory browser: drive items with types, labels and network names,
// the path's levels and subdirectories with their pictures and indentation,
// and the moves of double-clicks and drive changes.
#include "ui/directory_browser.h"

#include <filesystem>
#include <string>
#include <vector>

#include "platform_testing/temp_dir.h"
#include "runtime_test.h"
#include "win/controls.h"
#include "win/files.h"
#include "win/message.h"
#include "win/window.h"

namespace {

constexpr int kCombo = 100, kComboHidden = 101, kPathText = 199, kList = 200, kListHidden = 202;

struct Item {
  std::string text;
  long data;
  bool operator==(const Item&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Item& i) { return os << i.text << ":" << std::hex << i.data; }

class DirectoryBrowserTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override {
    useMachine("[drives]\nA = " + a_.path() + "\nN = " + n_.path() + "\n\\\\SRV\\SHARE = " + n_.path() +
               "\n[drive-types]\nA = removable\nN = remote\n[volumes]\nC = SYSTEM, 1A2B-3C4D, 4096\n");
    for (const char* dir : {"APPS/TOOL/X", "APPS/TOOL/Y"})
      std::filesystem::create_directories(machine().hostC(dir));
    dialog_ = win::CreateWindowEx(0, "STATIC", "", win::WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    child("COMBOBOX", kCombo, win::CBS_DROPDOWNLIST | win::CBS_HASSTRINGS);
    child("LISTBOX", kComboHidden, 0);
    child("STATIC", kPathText, 0);
    child("LISTBOX", kList, win::LBS_HASSTRINGS);
    child("LISTBOX", kListHidden, 0);
  }
  void TearDown() override { win::DestroyWindow(dialog_); }

  void child(const char* cls, int id, win::DWORD style) {
    win::CreateWindowEx(0, cls, "", win::WS_CHILD | style, 0, 0, 200, 100, dialog_,
                        reinterpret_cast<win::HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
  }
  win::HWND item(int id) { return win::GetDlgItem(dialog_, id); }

  std::vector<Item> items(int id, bool combo) {
    std::vector<Item> out;
    win::HWND h = item(id);
    auto n = win::SendMessage(h, combo ? win::CB_GETCOUNT : win::LB_GETCOUNT, 0, 0);
    for (win::LRESULT i = 0; i < n; ++i) {
      char text[256] = {};
      win::SendMessage(h, combo ? win::CB_GETLBTEXT : win::LB_GETTEXT, static_cast<win::WPARAM>(i),
                       reinterpret_cast<win::LPARAM>(text));
      long data = static_cast<long>(
          win::SendMessage(h, combo ? win::CB_GETITEMDATA : win::LB_GETITEMDATA, static_cast<win::WPARAM>(i), 0));
      out.push_back({text, data});
    }
    return out;
  }
  long selected(int id, bool combo) {
    return static_cast<long>(win::SendMessage(item(id), combo ? win::CB_GETCURSEL : win::LB_GETCURSEL, 0, 0));
  }
  std::string text(int id) {
    char t[256] = {};
    win::GetWindowText(item(id), t, sizeof t);
    return t;
  }
  std::string current() {
    char dir[256] = {};
    win::GetCurrentDirectory(sizeof dir, dir);
    return dir;
  }

  platform_testing::TempDir a_, n_;
  win::HWND dialog_ = nullptr;
};

TEST_F(DirectoryBrowserTest, DrivesShowTheirTypeLabelOrNetworkNameInLowerCase) {
  ASSERT_TRUE(win::SetCurrentDirectory("C:\\APPS"));
  merl::FillDriveCombo(item(kCombo), item(kComboHidden));
  EXPECT_EQ(items(kCombo, true), (std::vector<Item>{{"a:  ", (2 << 16) | 0},
                                                    {"c:  system", (3 << 16) | 2},
                                                    {"n:  \\\\srv\\share", (4 << 16) | 13}}));
  EXPECT_EQ(selected(kCombo, true), 1);
}

TEST_F(DirectoryBrowserTest, TheListShowsThePathLevelsThenTheSubdirectories) {
  ASSERT_TRUE(win::SetCurrentDirectory("C:\\APPS\\TOOL"));
  merl::FillDirectoryList(dialog_, kList, "Setup\r\nsecond line", 0);
  EXPECT_EQ(items(kList, false), (std::vector<Item>{{"c:\\", (11 << 16) | 0},
                                                    {"apps", (11 << 16) | 1},
                                                    {"tool", (12 << 16) | 2},
                                                    {"x", (10 << 16) | 3},
                                                    {"y", (10 << 16) | 3}}));
  EXPECT_EQ(selected(kList, false), 2);
  EXPECT_EQ(text(kPathText), "C:\\APPS\\TOOL\\Setup");
}

TEST_F(DirectoryBrowserTest, TheItemTwoAboveTheCurrentDirectoryBecomesTheTopOne) {
  struct Case {
    const char* dir;
    long top;
    long current;
  } cases[] = {{"C:\\", 0, 0}, {"C:\\APPS\\TOOL", 0, 2}, {"C:\\APPS\\TOOL\\X", 1, 3}};
  for (const auto& c : cases) {
    ASSERT_TRUE(win::SetCurrentDirectory(c.dir));
    merl::FillDirectoryList(dialog_, kList, "", 0);
    EXPECT_EQ(win::SendMessage(item(kList), win::LB_GETTOPINDEX, 0, 0), c.top) << c.dir;
    EXPECT_EQ(selected(kList, false), c.current) << c.dir;
  }
}

TEST_F(DirectoryBrowserTest, ThePathTextTakesTheNameAsItsFlagsSay) {
  struct Case {
    const char* dir;
    const char* name;
    unsigned flags;
    const char* shown;
  } cases[] = {
      {"C:\\APPS", "D:\\VENDOR\\APP", 0, "C:\\APPS\\VENDOR\\APP"},
      {"C:\\APPS", "D:\\VENDOR\\APP", merl::kBrowseNameLastPart, "C:\\APPS\\APP"},
      {"C:\\", "D:\\VENDOR\\APP", merl::kBrowseNameLastPart, "C:\\VENDOR\\APP"},
      {"C:\\APPS", "APP", merl::kBrowseNameAtRootOnly, "C:\\APPS"},
      {"C:\\", "APP", merl::kBrowseNameAtRootOnly, "C:\\APP"},
      {"C:\\APPS", "", 0, "C:\\APPS"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(win::SetCurrentDirectory(c.dir));
    merl::FillDirectoryList(dialog_, kList, c.name, c.flags);
    EXPECT_EQ(text(kPathText), c.shown) << c.dir << " + " << c.name << " / " << c.flags;
  }
}

TEST_F(DirectoryBrowserTest, DoubleClicksMoveUpAndInAndTheCurrentDirectoryStays) {
  ASSERT_TRUE(win::SetCurrentDirectory("C:\\APPS\\TOOL"));
  merl::FillDirectoryList(dialog_, kList, "", 0);
  struct Case {
    int index;
    bool moves;
    const char* dir;
  } cases[] = {{2, false, "C:\\APPS\\TOOL"}, {3, true, "C:\\APPS\\TOOL\\X"}, {1, true, "C:\\APPS"},
               {0, true, "C:\\"}, {1, true, "C:\\APPS"}};
  for (const auto& c : cases) {
    win::SendMessage(item(kList), win::LB_SETCURSEL, static_cast<win::WPARAM>(c.index), 0);
    EXPECT_EQ(merl::BrowseToSelectedItem(dialog_, kList, "", 0), c.moves) << c.index;
    EXPECT_EQ(current(), c.dir);
    EXPECT_EQ(text(kPathText), c.dir);
  }
}

TEST_F(DirectoryBrowserTest, ADriveThatCannotBeMadeCurrentLeavesThePreviousDriveSelected) {
  ASSERT_TRUE(win::SetCurrentDirectory("C:\\APPS"));
  merl::FillDriveCombo(item(kCombo), item(kComboHidden));
  merl::FillDirectoryList(dialog_, kList, "", 0);
  win::SendMessage(item(kCombo), win::CB_SETCURSEL, 2, 0);  // n:
  EXPECT_TRUE(merl::BrowseToSelectedDrive(dialog_, kCombo, kList, "", 0));
  EXPECT_EQ(current(), "N:\\");
  EXPECT_EQ(items(kList, false).front().text, "n:\\");

  std::filesystem::remove_all(a_.path());  // the removable disk is gone
  win::SendMessage(item(kCombo), win::CB_SETCURSEL, 0, 0);
  EXPECT_FALSE(merl::BrowseToSelectedDrive(dialog_, kCombo, kList, "", 0));
  EXPECT_EQ(current(), "N:\\");
  EXPECT_EQ(selected(kCombo, true), 2);
}

}  // namespace
