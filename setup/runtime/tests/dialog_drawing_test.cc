// Dialog drawing on the machine's canvas: DIB palettes, bitmaps placed in
// dialog units (the near-size snap, box frames), owner-drawn items whose
// pictures show the item's background at pure blue, and graphics whose colour
// table or bits do not fit their data drawing nothing.
#include <cstring>
#include <string>

#include "entry/main_state.h"
#include "entry/runtime_bitmaps.h"
#include "runtime_test.h"
#include "ui/dialog_bitmaps.h"
#include "ui/owner_draw.h"
#include "win/canvas.h"
#include "win/controls.h"
#include "win/window.h"

namespace {

constexpr win::COLORREF kWhite = win::RGB(255, 255, 255), kRed = win::RGB(255, 0, 0),
                        kGrey = win::RGB(128, 128, 128), kBlue = win::RGB(0, 0, 255);

class DialogDrawingTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override {
    useMachine("[system]\nbpp = 32\n");
    screen_ = win::GetDC(nullptr);
    dc_ = win::CreateCompatibleDC(screen_);
    bitmap_ = win::CreateCompatibleBitmap(screen_, 300, 120);
    old_ = win::SelectObject(dc_, bitmap_);
    win::RECT all{0, 0, 300, 120};
    win::FillRect(dc_, &all, static_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH)));
  }
  void TearDown() override {
    win::SelectObject(dc_, old_);
    win::DeleteObject(bitmap_);
    win::DeleteDC(dc_);
    win::ReleaseDC(nullptr, screen_);
  }

  // Graphic data: the 10-byte prefix, a header, colours and bottom-up bits of one colour index.
  static std::string graphic(int width, int height, int bpp, win::DWORD clrUsed, int tableEntries) {
    win::BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<win::WORD>(bpp);
    h.biClrUsed = clrUsed;
    std::string table;
    for (int i = 0; i < tableEntries; ++i) table += std::string{'\0', '\0', static_cast<char>(i ? 0 : 255), '\0'};
    std::size_t stride = ((static_cast<std::size_t>(width) * bpp + 31) / 32) * 4;
    std::string prefix(10, '\0');
    win::WORD w = static_cast<win::WORD>(width), hh = static_cast<win::WORD>(height),
              colors = static_cast<win::WORD>(tableEntries);
    win::DWORD offset = static_cast<win::DWORD>(sizeof h + table.size());
    std::memcpy(&prefix[0], &w, 2);
    std::memcpy(&prefix[2], &hh, 2);
    std::memcpy(&prefix[4], &offset, 4);
    std::memcpy(&prefix[8], &colors, 2);
    return prefix + std::string(reinterpret_cast<const char*>(&h), sizeof h) + table +
           std::string(stride * static_cast<std::size_t>(height), '\0');
  }

  bool paint(const std::string& data, const merl::DialogBitmapPlace& place) {
    return merl::PaintDialogBitmap(dc_, reinterpret_cast<const win::BYTE*>(data.data()), data.size(), place,
                                   nullptr);
  }

  int redOnRow(int y) {
    int n = 0;
    for (int x = 0; x < 300; ++x) n += win::GetPixel(dc_, x, y) == kRed;
    return n;
  }

  win::HDC screen_ = nullptr, dc_ = nullptr;
  win::HBITMAP bitmap_ = nullptr;
  win::HGDIOBJ old_ = nullptr;
};

TEST_F(DialogDrawingTest, OnlyEightBitDibsGetAPaletteOfTheirColourCount) {
  struct Case {
    int bpp;
    win::DWORD clrUsed;
    int entries;  // 0: no palette
  } cases[] = {{4, 0, 0}, {24, 0, 0}, {8, 0, 256}, {8, 3, 3}, {8, 1000, 0}};
  for (const auto& c : cases) {
    std::string data = graphic(2, 2, c.bpp, c.clrUsed, 256);
    const auto* header = reinterpret_cast<const win::BITMAPINFOHEADER*>(data.data() + 10);
    win::HPALETTE palette = merl::RealizeDibPalette(header, dc_, merl::customDialogPalette());
    EXPECT_EQ(palette != nullptr, c.entries != 0) << c.bpp << "/" << c.clrUsed;
    if (!palette) continue;
    win::WORD count = 0;
    win::GetObject(palette, sizeof count, &count);
    EXPECT_EQ(count, c.entries);
    EXPECT_EQ(*merl::customDialogPalette(), palette);
  }
}

TEST_F(DialogDrawingTest, APictureDrawnWithinThreePixelsOfItsBitmapKeepsTheBitmapsWidth) {
  // 100 x 40 units with proportions: 200 pixels drawn for a 198-pixel bitmap, centred in 200.
  merl::DialogBitmapPlace place;
  place.width = 100;
  place.height = 40;
  place.proportion = true;
  ASSERT_TRUE(paint(graphic(198, 10, 8, 2, 2), place));
  EXPECT_EQ(redOnRow(36), 198);
  EXPECT_EQ(win::GetPixel(dc_, 0, 36), kWhite);
  EXPECT_EQ(win::GetPixel(dc_, 1, 36), kRed);
  // Without proportions the bitmap fills the 200 x 80 box.
  place.proportion = false;
  ASSERT_TRUE(paint(graphic(150, 10, 8, 2, 2), place));
  EXPECT_EQ(redOnRow(79), 200);
}

TEST_F(DialogDrawingTest, BoxFramesAreWhiteRightAndBottomAndGreyLeftAndTop) {
  merl::DialogBitmapPlace place;
  place.x = 4;  // 8 pixels
  place.y = 8;  // 16 pixels
  place.width = 20;
  place.height = 10;
  place.boxMode = true;
  place.frame = true;
  ASSERT_TRUE(paint(graphic(20, 10, 8, 2, 2), place));
  // The box is (8, 16)-(28, 26); the frame lies around it, the white edges over the grey corners.
  std::string expected = std::string(21, 'g') + "w";
  for (int row = 0; row < 10; ++row) expected += "\ng" + std::string(20, 'r') + "w";
  expected += "\n" + std::string(22, 'w');
  EXPECT_EQ(win::canvasDump(dc_, win::RECT{7, 15, 29, 27}, {{kWhite, 'w'}, {kRed, 'r'}, {kGrey, 'g'}}), expected);
}

TEST_F(DialogDrawingTest, GraphicsThatDoNotFitTheirDataDrawNothing) {
  merl::DialogBitmapPlace place;
  place.width = 10;
  place.height = 10;
  std::string tooManyColours = graphic(4, 4, 8, 1000, 2);
  std::string bitsCut = graphic(4, 4, 8, 2, 2);
  bitsCut.resize(bitsCut.size() - 1);
  std::string tableCut = graphic(4, 4, 8, 200, 2);
  std::string bitsOffsetPast = graphic(4, 4, 8, 2, 2);
  bitsOffsetPast[4] = '\x7F';
  for (const std::string* data : {&tooManyColours, &bitsCut, &tableCut, &bitsOffsetPast}) {
    EXPECT_FALSE(paint(*data, place));
    EXPECT_EQ(redOnRow(0), 0);
  }
  EXPECT_FALSE(merl::PaintDialogBitmap(dc_, nullptr, 0, place, nullptr));
}

TEST_F(DialogDrawingTest, OwnerDrawnPicturesShowTheItemsBackgroundExactlyAtPureBlue) {
  for (int id : merl::kRuntimeBitmapIds) {
    std::string dib = merl::placeholderBitmap(id);
    const auto* header = reinterpret_cast<const win::BITMAPINFOHEADER*>(dib.data());
    merl::mainState().bitmaps.push_back(win::CreateDIBitmap(screen_, header, win::CBM_INIT, dib.data() + 40,
                                                            reinterpret_cast<const win::BITMAPINFO*>(header),
                                                            win::DIB_RGB_COLORS));
  }
  win::HWND list = win::CreateWindowEx(0, "LISTBOX", "", win::WS_POPUP | win::LBS_OWNERDRAWFIXED | win::LBS_HASSTRINGS,
                                       0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  win::SendMessage(list, win::LB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>("apps"));
  win::HWND combo = win::CreateWindowEx(
      0, "COMBOBOX", "", win::WS_POPUP | win::CBS_DROPDOWNLIST | win::CBS_OWNERDRAWFIXED | win::CBS_HASSTRINGS, 0, 0,
      100, 100, nullptr, nullptr, nullptr, nullptr);
  win::SendMessage(combo, win::CB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>("c:  system"));
  struct Case {
    bool combo;
    unsigned data;
    int picture;
    int indent;
    bool selected;
    win::COLORREF background;
  } cases[] = {
      {false, (11u << 16) | 1, 11, 8, false, kWhite},  // a list item indented 1 * 4 + 4
      {false, (10u << 16) | 3, 10, 16, true, win::GetSysColor(win::COLOR_HIGHLIGHT)},
      {true, (3u << 16) | 2, 3, 0, false, kWhite},  // a drive item, never indented
  };
  for (const auto& c : cases) {
    win::RECT all{0, 0, 300, 120};
    win::FillRect(dc_, &all, static_cast<win::HBRUSH>(win::GetStockObject(win::WHITE_BRUSH)));
    win::DRAWITEMSTRUCT item{};
    item.CtlType = c.combo ? win::ODT_COMBOBOX : win::ODT_LISTBOX;
    item.itemID = 0;
    item.itemAction = win::ODA_DRAWENTIRE;
    item.itemState = c.selected ? win::ODS_SELECTED : 0;
    item.hwndItem = c.combo ? combo : list;
    item.hDC = dc_;
    item.rcItem = win::RECT{0, 0, 100, 16};
    item.itemData = c.data;
    merl::DrawOwnerDrawItem(&item, c.combo);
    std::string dib = merl::placeholderBitmap(c.picture);
    int mismatches = 0, blue = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const auto* p = reinterpret_cast<const unsigned char*>(dib.data()) + 40 + (15 - y) * 48 + 3 * x;
        win::COLORREF art = win::RGB(p[2], p[1], p[0]);
        blue += art == kBlue;
        win::COLORREF want = art == kBlue ? c.background : art;
        mismatches += win::GetPixel(dc_, c.indent + x, y) != want;
      }
    EXPECT_GT(blue, 0);
    EXPECT_EQ(mismatches, 0) << c.picture;
    if (c.indent) {
      EXPECT_EQ(win::GetPixel(dc_, c.indent - 1, 2), c.background);  // left of the picture
    }
    EXPECT_EQ(win::GetPixel(dc_, 90, 15), c.background);                          // the opaque text line
    EXPECT_EQ(win::GetTextColor(dc_), win::RGB(0, 0, 0));                         // colours restored
    EXPECT_EQ(win::GetBkColor(dc_), kWhite);
  }
  win::DestroyWindow(combo);
  win::DestroyWindow(list);
}

TEST_F(DialogDrawingTest, WithAWindowTheWholeClientAreaIsPaintedOffScreenInTheWindowColour) {
  win::HWND window =
      win::CreateWindowEx(0, "STATIC", "", win::WS_POPUP, 0, 0, 40, 20, nullptr, nullptr, nullptr, nullptr);
  merl::DialogBitmapPlace place;
  place.width = 5;  // 10 x 10 pixels
  place.height = 5;
  std::string data = graphic(10, 10, 8, 2, 2);
  for (bool ctl3d : {false, true}) {
    merl::mainState().ctl3dRegistered = ctl3d;
    win::HDC dc = win::GetDC(window);
    win::RECT all{0, 0, 40, 20};
    win::FillRect(dc, &all, static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
    std::size_t objects = win::gdiObjectCount();
    ASSERT_TRUE(merl::PaintDialogBitmap(dc, reinterpret_cast<const win::BYTE*>(data.data()), data.size(), place,
                                        window));
    // The off-screen DC and bitmap go; the dialog's and the off-screen palette slots fill once
    // and are replaced after.
    EXPECT_EQ(win::gdiObjectCount(), objects + (ctl3d ? 0 : 2));
    win::COLORREF fill = win::GetSysColor(ctl3d ? win::COLOR_BTNFACE : win::COLOR_WINDOW);
    EXPECT_EQ(win::canvasDump(dc, win::RECT{8, 9, 12, 11}, {{kRed, 'r'}, {fill, 'f'}}), "rrff\nffff");
    win::ReleaseDC(window, dc);
  }
  merl::mainState().ctl3dRegistered = false;
  win::DestroyWindow(window);
}

}  // namespace

namespace {

using PaletteDisplayDrawingTest = merl_testing::RuntimeTest;

TEST_F(PaletteDisplayDrawingTest, OwnerDrawnPicturesKeepTheirColoursOnAPaletteDisplay) {
  // The default machine has 8 bits per pixel; every colour of the pictures is a default colour.
  win::HDC screen = win::GetDC(nullptr);
  for (int id : merl::kRuntimeBitmapIds) {
    std::string dib = merl::placeholderBitmap(id);
    const auto* header = reinterpret_cast<const win::BITMAPINFOHEADER*>(dib.data());
    merl::mainState().bitmaps.push_back(win::CreateDIBitmap(screen, header, win::CBM_INIT, dib.data() + 40,
                                                            reinterpret_cast<const win::BITMAPINFO*>(header),
                                                            win::DIB_RGB_COLORS));
  }
  win::HDC dc = win::CreateCompatibleDC(screen);
  win::HBITMAP bitmap = win::CreateCompatibleBitmap(screen, 40, 16);
  win::HGDIOBJ old = win::SelectObject(dc, bitmap);
  win::HWND list = win::CreateWindowEx(0, "LISTBOX", "", win::WS_POPUP | win::LBS_OWNERDRAWFIXED | win::LBS_HASSTRINGS,
                                       0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  win::SendMessage(list, win::LB_ADDSTRING, 0, reinterpret_cast<win::LPARAM>("x"));
  win::DRAWITEMSTRUCT item{};
  item.CtlType = win::ODT_LISTBOX;
  item.itemAction = win::ODA_DRAWENTIRE;
  item.hwndItem = list;
  item.hDC = dc;
  item.rcItem = win::RECT{0, 0, 40, 16};
  item.itemData = (12u << 16) | 0;  // at 4 pixels
  merl::DrawOwnerDrawItem(&item, false);
  std::string dib = merl::placeholderBitmap(12);
  int mismatches = 0;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(dib.data()) + 40 + (15 - y) * 48 + 3 * x;
      win::COLORREF art = win::RGB(p[2], p[1], p[0]);
      mismatches += win::GetPixel(dc, 4 + x, y) != (art == kBlue ? kWhite : art);
    }
  EXPECT_EQ(mismatches, 0);
  win::DestroyWindow(list);
  win::SelectObject(dc, old);
  win::DeleteObject(bitmap);
  win::DeleteDC(dc);
  win::ReleaseDC(nullptr, screen);
}

}  // namespace
