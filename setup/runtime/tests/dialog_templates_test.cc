// The runtime's copy progress and busy templates as its resources hold them:
// dialog style, place and size, and each control's id, class, style, text and
// rectangle in dialog units.
#include "entry/dialog_templates.h"

#include <string>
#include <vector>

#include "runtime_test.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "win/resource.h"
#include "win/window.h"

namespace {

using win::DWORD;

struct Item {
  int id;
  win::WORD classOrdinal;
  DWORD style;
  std::string text;
  int x, y, cx, cy;
};

struct Expected {
  int resource;
  DWORD style;
  int x, y, cx, cy;
  std::vector<Item> items;
};

std::vector<int> units(int x, int y, int cx, int cy) { return {x, y, cx, cy}; }

constexpr DWORD kFrame = win::WS_POPUP | win::DS_MODALFRAME | win::DS_SETFONT;
constexpr DWORD kChild = win::WS_CHILD | win::WS_VISIBLE;

class DialogTemplatesTest : public merl_testing::RuntimeTest {};

TEST_F(DialogTemplatesTest, CopyProgressAndBusyTemplatesHoldTheirControls) {
  const Expected cases[] = {
      {1538,
       kFrame | win::WS_CAPTION | win::WS_SYSMENU,
       0, 0, 170, 69,
       {{2, win::kButtonClassOrdinal, kChild | win::BS_DEFPUSHBUTTON | win::WS_TABSTOP, "Cancel", 60, 52, 50, 14},
        {3830, win::kStaticClassOrdinal, kChild | win::SS_BLACKRECT, "", 5, 33, 160, 14},
        {3829, win::kStaticClassOrdinal, kChild | win::SS_LEFT | win::SS_NOPREFIX | win::WS_GROUP, "", 5, 10, 160, 22}}},
      {103,
       kFrame | win::WS_VISIBLE,
       60, 80, 237, 21,
       {{1005, win::kStaticClassOrdinal, kChild | win::SS_CENTER | win::SS_NOPREFIX | win::WS_GROUP, "", 10, 6, 215, 9}}},
  };
  (void)merl::runtimeResources();
  for (const Expected& e : cases) {
    SCOPED_TRACE(e.resource);
    auto bytes = win::findResourceBytes(nullptr, win::RT_DIALOG, win::MAKEINTRESOURCE(e.resource));
    ASSERT_TRUE(bytes.has_value());
    std::string error;
    auto t = win::parseDialogTemplate(std::string_view(reinterpret_cast<const char*>(bytes->data), bytes->size), &error);
    ASSERT_TRUE(t.has_value()) << error;
    EXPECT_EQ(t->style, e.style);
    EXPECT_EQ(t->faceName, "MS Sans Serif");
    EXPECT_EQ(t->pointSize, 8);
    EXPECT_EQ(units(t->x, t->y, t->cx, t->cy), (std::vector<int>{e.x, e.y, e.cx, e.cy}));
    ASSERT_EQ(t->items.size(), e.items.size());
    for (std::size_t i = 0; i < e.items.size(); ++i) {
      const auto& got = t->items[i];
      const Item& want = e.items[i];
      SCOPED_TRACE(want.id);
      EXPECT_EQ(got.id, want.id);
      EXPECT_EQ(got.windowClass.ordinal, want.classOrdinal);
      EXPECT_EQ(got.style, want.style);
      EXPECT_EQ(got.title.text, want.text);
      EXPECT_EQ(units(got.x, got.y, got.cx, got.cy), (std::vector<int>{want.x, want.y, want.cx, want.cy}));
    }
  }
}

}  // namespace
