// The built-in controls: list boxes (single and multiple selection, sorting,
// finding, item data, LB_DIR), combo boxes (drop-down lists and their text),
// edits (length limit) and buttons (check kinds, BM_CLICK), and owner-draw
// messages, each as Windows answers them.
#include "win/controls.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui_test_support.h"
#include "win/dialog.h"
#include "win/files.h"
#include "win/gdi.h"

namespace {

using namespace win;
using win_testing::TestMachine;

std::vector<std::string> notes;

LRESULT parentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND)
    notes.push_back("command " + std::to_string(LOWORD(wParam)) + "/" + std::to_string(HIWORD(wParam)));
  return DefWindowProc(hwnd, message, wParam, lParam);
}

struct Controls {
  Controls(const std::string& ini = "") : m(ini) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = parentProc;
    wc.lpszClassName = "Parent";
    RegisterClass(&wc);
    parent = CreateWindowEx(0, "Parent", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    notes.clear();
  }
  HWND make(const char* cls, DWORD style, int id = 10) {
    return CreateWindowEx(0, cls, "", WS_CHILD | WS_VISIBLE | style, 0, 0, 200, 100, parent,
                          reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), nullptr, nullptr);
  }
  TestMachine m;
  HWND parent;
};

LRESULT add(HWND h, UINT message, const char* text) {
  return SendMessage(h, message, 0, reinterpret_cast<LPARAM>(text));
}

TEST(ControlsTest, ListBoxWithOneSelection) {
  Controls c;
  HWND list = c.make("ListBox", LBS_SORT | LBS_NOTIFY);
  for (const char* t : {"pear", "Apple", "banana", "apple"}) add(list, LB_ADDSTRING, t);
  char text[32];
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT expect;
  } cases[] = {
      {LB_GETCOUNT, 0, 0, 4},
      {LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text), 5},  // "Apple" sorts before "apple" (added later)
      {LB_GETTEXTLEN, 3, 0, 4},
      {LB_GETTEXTLEN, 4, 0, LB_ERR},
      {LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("BAN"), 2},
      {LB_FINDSTRING, 2, reinterpret_cast<LPARAM>("ap"), 0},  // wraps round past the end
      {LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("APPLE"), 0},
      {LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("app"), LB_ERR},
      {LB_GETCURSEL, 0, 0, LB_ERR},
      {LB_SETCURSEL, 2, 0, 2},
      {LB_GETSEL, 2, 0, 1},
      {LB_SETCURSEL, 9, 0, LB_ERR},
      {LB_SETSEL, TRUE, 1, LB_ERR},  // multiple-selection only
      {LB_GETSELCOUNT, 0, 0, LB_ERR},
      {LB_SETITEMDATA, 1, 0x1234, LB_OKAY},
      {LB_GETITEMDATA, 1, 0, 0x1234},
      {LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zebra"), 0},
      {LB_GETCURSEL, 0, 0, 3},  // the selection moved down with its item
      {LB_DELETESTRING, 3, 0, 4},
      {LB_GETCURSEL, 0, 0, LB_ERR},
      {LB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("pe"), 3},
  };
  for (const auto& k : cases)
    EXPECT_EQ(SendMessage(list, k.message, k.wParam, k.lParam), k.expect) << std::hex << k.message;
  SendMessage(list, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, "Apple");
}

TEST(ControlsTest, ListBoxWithSeveralSelections) {
  Controls c;
  HWND list = c.make("ListBox", LBS_MULTIPLESEL);
  for (const char* t : {"a", "b", "c", "d"}) add(list, LB_ADDSTRING, t);
  EXPECT_EQ(SendMessage(list, LB_SETSEL, TRUE, -1), LB_OKAY);
  EXPECT_EQ(SendMessage(list, LB_SETSEL, FALSE, 1), LB_OKAY);
  EXPECT_EQ(SendMessage(list, LB_SETSEL, TRUE, 7), LB_ERR);
  EXPECT_EQ(SendMessage(list, LB_GETSELCOUNT, 0, 0), 3);
  int picked[2] = {-1, -1};
  EXPECT_EQ(SendMessage(list, LB_GETSELITEMS, 2, reinterpret_cast<LPARAM>(picked)), 2);  // bounded by its room
  EXPECT_EQ(picked[0], 0);
  EXPECT_EQ(picked[1], 2);
  EXPECT_EQ(SendMessage(list, LB_GETSEL, 1, 0), 0);
  EXPECT_EQ(SendMessage(list, LB_SETCURSEL, 0, 0), LB_ERR);
  int stops[3] = {64, 98, 140};
  EXPECT_TRUE(SendMessage(list, LB_SETTABSTOPS, 3, reinterpret_cast<LPARAM>(stops)));
}

TEST(ControlsTest, ComboBoxListAndText) {
  Controls c;
  HWND drop = c.make("ComboBox", CBS_DROPDOWNLIST);
  HWND edit = c.make("ComboBox", CBS_DROPDOWN, 11);
  for (HWND h : {drop, edit})
    for (const char* t : {"c:  system", "d:", "\\\\server\\share"}) add(h, CB_ADDSTRING, t);
  char text[64];
  EXPECT_EQ(SendMessage(drop, CB_SETCURSEL, 1, 0), 1);
  GetWindowText(drop, text, sizeof text);
  EXPECT_STREQ(text, "d:");
  EXPECT_EQ(SendMessage(drop, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("C:  SYSTEM")), TRUE);  // picks the item
  EXPECT_EQ(SendMessage(drop, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessage(drop, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("e:")), CB_ERR);
  SetWindowText(edit, "typed");
  EXPECT_EQ(SendMessage(edit, CB_GETCURSEL, 0, 0), CB_ERR);
  GetWindowText(edit, text, sizeof text);
  EXPECT_STREQ(text, "typed");
  EXPECT_EQ(SendMessage(edit, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("\\\\")), 2);
  EXPECT_EQ(SendMessage(edit, CB_GETLBTEXTLEN, 2, 0), 14);
  EXPECT_EQ(SendMessage(edit, CB_SETCURSEL, static_cast<WPARAM>(-1), 0), CB_ERR);
  EXPECT_EQ(GetWindowTextLength(edit), 0);
  EXPECT_EQ(SendMessage(edit, CB_RESETCONTENT, 0, 0), CB_OKAY);
  EXPECT_EQ(SendMessage(edit, CB_GETCOUNT, 0, 0), 0);
}

TEST(ControlsTest, EditLimitAndButtonsOfEveryKind) {
  Controls c;
  HWND edit = c.make("Edit", ES_AUTOHSCROLL);
  EXPECT_EQ(SendMessage(edit, EM_GETLIMITTEXT, 0, 0), 30000);
  SendMessage(edit, EM_LIMITTEXT, 8, 0);
  EXPECT_EQ(SendMessage(edit, EM_GETLIMITTEXT, 0, 0), 8);
  struct Case {
    DWORD style;
    WPARAM set;
    LRESULT after;
    LRESULT afterClick;
  } cases[] = {
      {BS_PUSHBUTTON, BST_CHECKED, BST_UNCHECKED, BST_UNCHECKED},
      {BS_CHECKBOX, BST_CHECKED, BST_CHECKED, BST_CHECKED},
      {BS_AUTOCHECKBOX, BST_CHECKED, BST_CHECKED, BST_UNCHECKED},
      {BS_3STATE, BST_INDETERMINATE, BST_INDETERMINATE, BST_INDETERMINATE},
      {BS_AUTO3STATE, BST_INDETERMINATE, BST_INDETERMINATE, BST_UNCHECKED},
      {BS_AUTOCHECKBOX, BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED},
  };
  int id = 20;
  for (const auto& k : cases) {
    HWND b = c.make("Button", k.style, id);
    SendMessage(b, BM_SETCHECK, k.set, 0);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), k.after) << k.style;
    notes.clear();
    SendMessage(b, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), k.afterClick) << k.style;
    EXPECT_EQ(notes, (std::vector<std::string>{"command " + std::to_string(id) + "/0"}));
    ++id;
  }
}

TEST(ControlsTest, AutomaticRadioButtonsClearTheirGroup) {
  Controls c;
  HWND a = c.make("Button", BS_AUTORADIOBUTTON | WS_GROUP, 1);
  HWND b = c.make("Button", BS_AUTORADIOBUTTON, 2);
  HWND other = c.make("Button", BS_AUTORADIOBUTTON | WS_GROUP, 3);
  SendMessage(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessage(other, BM_SETCHECK, BST_CHECKED, 0);
  SendMessage(b, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessage(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessage(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessage(other, BM_GETCHECK, 0, 0), BST_CHECKED);  // another group
}

TEST(ControlsTest, DirectoryListingsShowFilesFoldersAndDrives) {
  platform_testing::TempDir d;
  Controls c("[drives]\nD = " + d.path() + "\n");
  c.m.makeFile("App/readme.txt");
  c.m.makeFile("App/Setup.exe");
  c.m.makeFile("App/Sub/x");
  c.m.makeFile("App/bad:name");  // no Windows name: not listed
  HWND list = c.make("ListBox", 0);
  EXPECT_EQ(SendMessage(list, LB_DIR, DDL_DIRECTORY, reinterpret_cast<LPARAM>("C:\\App\\*.*")), 3);
  EXPECT_EQ(SendMessage(list, LB_DIR, DDL_DRIVES | DDL_EXCLUSIVE, reinterpret_cast<LPARAM>("*")), 5);
  std::vector<std::string> items;
  char text[64];
  for (int i = 0; i < SendMessage(list, LB_GETCOUNT, 0, 0); ++i) {
    SendMessage(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  EXPECT_EQ(items, (std::vector<std::string>{"readme.txt", "Setup.exe", "[..]", "[Sub]", "[-c-]", "[-d-]"}));
  EXPECT_EQ(SendMessage(list, LB_DIR, 0, reinterpret_cast<LPARAM>("Q:\\*.*")), LB_ERR);
  ASSERT_TRUE(SetFileAttributes("C:\\App\\readme.txt", FILE_ATTRIBUTE_HIDDEN));
  HWND plain = c.make("ListBox", 0, 11), hidden = c.make("ListBox", 0, 12);
  EXPECT_EQ(SendMessage(plain, LB_DIR, 0, reinterpret_cast<LPARAM>("C:\\App\\*.TXT")), LB_ERR);  // none shown
  EXPECT_EQ(SendMessage(hidden, LB_DIR, DDL_HIDDEN, reinterpret_cast<LPARAM>("C:\\App\\*.TXT")), 0);
}

struct OwnerDraw {
  static INT_PTR proc(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_MEASUREITEM) {
      auto* m = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
      heard.push_back("measure " + std::to_string(m->CtlID));
      m->itemHeight = 20;
      return TRUE;
    }
    if (message == WM_INITDIALOG) {
      for (const char* t : {"one", "two", "three", "four", "five", "six"})
        SendDlgItemMessage(dialog, 1009, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
      SendDlgItemMessage(dialog, 1009, LB_SETCURSEL, 1, 0);
    }
    if (message == WM_DRAWITEM) {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      heard.push_back("draw " + std::to_string(d->itemID) + (d->itemState & ODS_SELECTED ? " selected" : "") + " at " +
                      std::to_string(d->rcItem.top));
      FillRect(d->hDC, &d->rcItem, GetSysColorBrush(COLOR_HIGHLIGHT));
      return TRUE;
    }
    if (message == WM_COMMAND) EndDialog(dialog, 1);
    return FALSE;
  }
  static inline std::vector<std::string> heard;
};

TEST(ControlsTest, OwnerDrawnListsAreMeasuredThenDrawnWhenShown) {
  TestMachine m(ui_test::kUiIni);
  ui_test::writeAnswers(m, "77 1\n");
  ui_test::TemplateResources resources;
  resources.add(77, DialogTemplateBuilder(WS_POPUP | WS_VISIBLE | WS_CAPTION, 0, 0, 100, 60)
                        .font(8, "MS Sans Serif")
                        .control(kListBoxClassOrdinal, "", 1009,
                                 ui_test::kChild | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT, 0, 0, 80,
                                 40)  // 65 pixels high: items 0-3 show
                        .control(kButtonClassOrdinal, "OK", 1, ui_test::kChild | BS_DEFPUSHBUTTON, 0, 45, 40, 12)
                        .bytes());
  OwnerDraw::heard.clear();
  std::size_t before = gdiObjectCount();
  EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(77), nullptr, OwnerDraw::proc, 0), 1);
  EXPECT_EQ(OwnerDraw::heard, (std::vector<std::string>{"measure 1009", "draw 0 at 0", "draw 1 selected at 20",
                                                        "draw 2 at 40", "draw 3 at 60"}));
  EXPECT_EQ(gdiObjectCount(), before);
  EXPECT_EQ(ui_test::events(m, "drawitem").size(), 4u);
}

}  // namespace
