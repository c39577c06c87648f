// The dialogs' look and placement: widening of the dialog and its direct
// children, the one common font and its weight, face and height, and the
// centred and grid positions on an 800 x 600 screen.
#include "ui/dialog_look.h"

#include <string>

#include "runtime_test.h"
#include "script/script_header.h"
#include "ui/message_box_dlg.h"
#include "ui/pump.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "win/gdi.h"
#include "win/window.h"

namespace {

win::INT_PTR quietProc(win::HWND, win::UINT message, win::WPARAM, win::LPARAM) {
  return message == win::WM_INITDIALOG ? win::TRUE : win::FALSE;
}

class DialogLookTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override { start(); }
  void start() {
    scope_.reset();
    setup_ = {};
    setup_.screenWidth = 800;
    setup_.screenHeight = 600;
    scope_ = std::make_unique<merl::RunScope>(&setup_);
  }
  // A modeless dialog of two controls (ids 10 and 11, a combo box), with or without a font.
  win::HWND dialog(bool withFont = true) {
    DWORD style = win::WS_POPUP | win::WS_CAPTION | (withFont ? win::DS_SETFONT : 0);
    win::DialogTemplateBuilder b(style, 0, 0, 100, 50);
    if (withFont) b.font(8, "MS Sans Serif");
    b.control(win::kStaticClassOrdinal, "", 10, win::WS_CHILD | win::WS_VISIBLE, 0, 0, 10, 8)
        .control(win::kComboBoxClassOrdinal, "", 11, win::WS_CHILD | win::WS_VISIBLE, 0, 20, 40, 30);
    bytes_ = b.bytes();
    return win::CreateDialogIndirectParam(nullptr, reinterpret_cast<const win::DLGTEMPLATE*>(bytes_.data()),
                                          static_cast<DWORD>(bytes_.size()), nullptr, quietProc, 0);
  }
  static win::RECT rectOf(win::HWND w) {
    win::RECT r{};
    win::GetWindowRect(w, &r);
    return r;
  }
  static win::RECT childRect(win::HWND child) {
    win::RECT r = rectOf(child);
    win::MapWindowPoints(nullptr, win::GetParent(child), reinterpret_cast<win::POINT*>(&r), 2);
    return r;
  }
  static win::HFONT fontOf(win::HWND w) {
    return reinterpret_cast<win::HFONT>(win::SendMessage(w, win::WM_GETFONT, 0, 0));
  }
  static win::LOGFONTA logFont(win::HFONT font) {
    win::LOGFONTA f{};
    win::GetObject(font, sizeof f, &f);
    return f;
  }
  using DWORD = win::DWORD;

  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
  std::string bytes_;
};

TEST_F(DialogLookTest, DialogAndDirectChildrenWidenBySixthsGrandchildrenOnlyTakeTheFont) {
  struct Case {
    int left, right, wantLeft, wantRight;
  } cases[] = {{60, 300, 70, 350}, {-7, -1, -8, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.left);
    start();
    win::HWND d = dialog();
    win::RECT before = rectOf(d);
    win::MoveWindow(d, c.left, before.top, c.right - c.left, before.bottom - before.top, win::FALSE);
    win::HWND child = win::GetDlgItem(d, 10);
    win::MoveWindow(child, 5, 2, 30, 10, win::FALSE);
    win::HWND combo = win::GetDlgItem(d, 11);
    win::HWND inner = win::CreateWindowEx(0, "Edit", "", win::WS_CHILD | win::WS_VISIBLE, 6, 1, 30, 12, combo, nullptr,
                                          nullptr, nullptr);
    ASSERT_NE(inner, nullptr);
    merl::SetupDialogLook(d);
    win::RECT r = rectOf(d);
    EXPECT_EQ(r.left, c.wantLeft);
    EXPECT_EQ(r.right, c.wantRight);
    EXPECT_EQ(r.top, before.top);
    EXPECT_EQ(r.bottom, before.bottom);
    win::RECT cr = childRect(child);
    EXPECT_EQ(cr.left, 5);
    EXPECT_EQ(cr.right, 40);
    EXPECT_EQ(cr.top, 2);
    win::RECT ir = childRect(inner);
    EXPECT_EQ(ir.left, 6);
    EXPECT_EQ(ir.right, 36);
    win::HFONT common = scope_->run().state<merl::DialogLook>().commonFont;
    ASSERT_NE(common, nullptr);
    for (win::HWND w : {child, combo, inner}) EXPECT_EQ(fontOf(w), common);
    win::DestroyWindow(d);
  }
}

TEST_F(DialogLookTest, ADialogWithoutAFontMakesNoFontAndMovesNoChild) {
  win::HWND d = dialog(false);
  win::HWND child = win::GetDlgItem(d, 10);
  win::MoveWindow(child, 5, 2, 30, 10, win::FALSE);
  merl::SetupDialogLook(d);
  EXPECT_EQ(scope_->run().state<merl::DialogLook>().commonFont, nullptr);
  EXPECT_EQ(childRect(child).right, 35);
  EXPECT_EQ(fontOf(child), nullptr);
}

TEST_F(DialogLookTest, OneCommonFontServesEveryDialogUntilItIsDeleted) {
  win::HWND first = dialog();
  merl::SetupDialogLook(first);
  std::size_t objects = win::gdiObjectCount();
  win::HWND second = dialog();
  std::size_t withSecond = win::gdiObjectCount();
  merl::SetupDialogLook(second);
  EXPECT_EQ(win::gdiObjectCount(), withSecond);  // no new font
  EXPECT_GT(withSecond, objects);                // the second dialog's own template font
  win::HFONT common = scope_->run().state<merl::DialogLook>().commonFont;
  EXPECT_EQ(fontOf(win::GetDlgItem(first, 10)), common);
  EXPECT_EQ(fontOf(win::GetDlgItem(second, 10)), common);
  win::DestroyWindow(first);
  win::DestroyWindow(second);
  std::size_t before = win::gdiObjectCount();
  merl::DeleteDialogFont();
  EXPECT_EQ(win::gdiObjectCount(), before - 1);
  EXPECT_EQ(scope_->run().state<merl::DialogLook>().commonFont, nullptr);
  merl::DeleteDialogFont();  // nothing left to delete
  EXPECT_EQ(win::gdiObjectCount(), before - 1);
}

TEST_F(DialogLookTest, WeightFollowsTheOptionBitsAndFaceAndHeightTheCharacterSet) {
  struct Case {
    DWORD options;
    bool majorAbove3;
    int charSet, points;
    std::string face;
    int weight, height;
    std::string wantFace;
  } cases[] = {
      {0x200, false, 0, 11, "Arial", 700, -11, "MS Sans Serif"},
      {0x200, true, 0, 11, "Arial", 300, -11, "MS Sans Serif"},
      {0x400, false, 0, 11, "Arial", 300, -11, "MS Sans Serif"},
      {0x000, true, 0, 11, "Arial", 700, -11, "MS Sans Serif"},
      {0x600, true, 0, 11, "Arial", 700, -11, "MS Sans Serif"},
      {0x000, true, 1, 11, "Arial", 700, -15, "Arial"},
      {0x000, true, 1, 8, std::string(200, 'f'), 700, -11, std::string(31, 'f')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.options) + " " + std::to_string(c.charSet));
    start();
    merl::DialogFontSettings& s = scope_->run().state<merl::DialogFontSettings>();
    s.light = merl::LightDialogFont(c.options, c.majorAbove3);
    s.charSet = static_cast<win::BYTE>(c.charSet);
    s.pointSize = c.points;
    s.face = c.face;
    win::HWND d = dialog();
    merl::SetupDialogLook(d);
    win::LOGFONTA f = logFont(scope_->run().state<merl::DialogLook>().commonFont);
    EXPECT_EQ(f.lfWeight, c.weight);
    EXPECT_EQ(f.lfHeight, c.height);
    EXPECT_EQ(f.lfCharSet, c.charSet);
    EXPECT_EQ(std::string(f.lfFaceName), c.wantFace);
    win::DestroyWindow(d);
  }
}

TEST_F(DialogLookTest, PlacementCentresOrFollowsThePositionCodeClippedToTheScreen) {
  struct Case {
    win::BYTE headerFlags;
    win::BYTE mode;
    int width, height, x, y;
  } cases[] = {
      {0x00, 0, 200, 100, 300, 250},  {0x88, 0, 200, 100, 300, 250},   {0x08, 1, 200, 100, 300, 250},
      {0x88, 1, 200, 100, 500, 400},  {0x0C, 2, 200, 100, 100, 500},   {0x08, 2, 500, 400, 300, 200},
      {0x00, 2, 1000, 700, 0, 0},     {0x00, 0, 1000, 700, -100, -50}, {0x00, 0, 201, 100, 299, 250},
      {0x04, 2, 200, 100, 300, 250},  {0x00, 2, 200, 100, 100, 100},   {0x8F, 1, 200, 100, 100, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.headerFlags) + " mode " + std::to_string(c.mode) + " " + std::to_string(c.width));
    merl::ScriptHeader& h = merl::scriptHeader();
    h.dialogPosition = c.headerFlags & merl::kDialogPositionMask;
    h.placementMode = (c.headerFlags & merl::kPlacementModeFlag) != 0;
    win::HWND d = dialog();
    win::MoveWindow(d, 7, 9, c.width, c.height, win::FALSE);
    merl::PlaceDialog(d, c.mode);
    win::RECT r = rectOf(d);
    EXPECT_EQ(r.left, c.x);
    EXPECT_EQ(r.top, c.y);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_EQ(r.bottom - r.top, c.height);
    win::DestroyWindow(d);
  }
}

TEST_F(DialogLookTest, Ctl3dGetsEveryDialogWithFlags38) {
  static win::HWND seen = nullptr;
  static win::DWORD flags = 0;
  scope_->run().state<merl::Ctl3dState>().subclass = [](win::HWND d, win::DWORD f) -> win::BOOL {
    seen = d;
    flags = f;
    return win::TRUE;
  };
  win::HWND d = dialog();
  merl::SetupDialogLook(d);
  EXPECT_EQ(seen, d);
  EXPECT_EQ(flags, 0x38u);
}

}  // namespace
