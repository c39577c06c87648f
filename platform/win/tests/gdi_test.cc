// Drawing: a paint traced call by call with its ROPs, clip and colours and the
// live object count back at its baseline; selection and deletion rules; the
// fixed text metrics; the device's capabilities from the machine description.
#include "win/gdi.h"

#include <gtest/gtest.h>

#include "ui_test_support.h"
#include "win/error.h"
#include "win/window.h"

namespace {

using namespace win;
using win_testing::TestMachine;

// The copy dialog's kind of paint: opaque clipped text, a pattern fill, a frame, a memory blit.
LRESULT painter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProc(hwnd, message, wParam, lParam);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  SelectObject(dc, GetStockObject(ANSI_VAR_FONT));
  SetBkColor(dc, RGB(0, 0, 0x7F));
  SetTextColor(dc, GetSysColor(COLOR_BTNFACE));
  RECT filled{8, 8, 58, 22};
  ExtTextOut(dc, 20, 9, ETO_OPAQUE | ETO_CLIPPED, &filled, " 50%", 4, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ oldBrush = SelectObject(dc, red);
  PatBlt(dc, 0, 0, 10, 10, PATCOPY);
  SelectObject(dc, oldBrush);
  DeleteObject(red);
  IntersectClipRect(dc, 0, 0, 30, 20);
  RECT frame{1, 1, 29, 19};
  FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, 16, 16);
  HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
  BitBlt(dc, 0, 0, 16, 16, memory, 0, 0, SRCCOPY);
  SelectObject(memory, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EndPaint(hwnd, &ps);
  return 0;
}

HWND paintWindow() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = painter;
  wc.lpszClassName = "Painter";
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  RegisterClass(&wc);
  return CreateWindowEx(0, "Painter", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 60, nullptr, nullptr, nullptr, nullptr);
}

TEST(GdiTest, APaintIsTracedInOrderAndTheObjectCountReturnsToItsBaseline) {
  TestMachine m(ui_test::kTranscriptIni);
  m.machine().setModulePath("C:\\SETUP.EXE");
  HWND hwnd = paintWindow();
  ValidateRect(hwnd, nullptr);
  std::size_t baseline = gdiObjectCount();
  RECT part{0, 0, 40, 30};
  InvalidateRect(hwnd, &part, TRUE);
  MSG msg;
  ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, WM_PAINT);
  DispatchMessage(&msg);
  EXPECT_EQ(gdiObjectCount(), baseline);
  EXPECT_FALSE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));  // painted once
  const char* expected[] = {
      R"({"call":"BeginPaint","hdc":196608,"hwnd":65536,"rect":[0,0,40,30],"erase":true})",
      R"({"call":"FillRect","hdc":196608,"rect":[0,0,100,60],"brush":"#ffffff"})",
      R"({"call":"SelectObject","hdc":196608,"object":192560,"kind":"font","previous":192564})",
      R"({"call":"SetBkColor","hdc":196608,"color":"#00007f"})",
      R"({"call":"SetTextColor","hdc":196608,"color":"#c0c0c0"})",
      R"({"call":"ExtTextOut","hdc":196608,"x":20,"y":9,"options":"0x00000006","rect":[8,8,58,22],"text":" 50%","textcolor":"#c0c0c0","bkcolor":"#00007f","bkmode":"opaque"})",
      R"({"call":"CreateSolidBrush","object":196612,"color":"#ff0000"})",
      R"({"call":"SelectObject","hdc":196608,"object":196612,"kind":"brush","previous":192512})",
      R"({"call":"PatBlt","hdc":196608,"rect":[0,0,10,10],"rop":"0x00F00021","brush":"#ff0000"})",
      R"({"call":"SelectObject","hdc":196608,"object":192512,"kind":"brush","previous":196612})",
      R"({"call":"DeleteObject","object":196612,"ok":true})",
      R"({"call":"IntersectClipRect","hdc":196608,"rect":[0,0,30,20]})",
      R"({"call":"FrameRect","hdc":196608,"rect":[1,1,29,19],"brush":"#000000","clip":[0,0,30,20]})",
      R"({"call":"CreateCompatibleDC","hdc":196616,"from":196608})",
      R"({"call":"CreateCompatibleBitmap","hdc":196608,"object":196620,"width":16,"height":16,"bpp":8})",
      R"({"call":"SelectObject","hdc":196616,"object":196620,"kind":"bitmap","previous":192636})",
      R"({"call":"BitBlt","hdc":196608,"rect":[0,0,16,16],"source":196616,"from":[0,0],"rop":"0x00CC0020","clip":[0,0,30,20],"textcolor":"#c0c0c0","bkcolor":"#00007f","bkmode":"opaque"})",
      R"({"call":"SelectObject","hdc":196616,"object":192636,"kind":"bitmap","previous":196620})",
      R"({"call":"DeleteObject","object":196620,"ok":true})",
      R"({"call":"DeleteDC","hdc":196616,"ok":true})",
      R"({"call":"EndPaint","hdc":196608,"hwnd":65536})",
  };
  auto lines = ui_test::events(m, "gdi");
  ASSERT_EQ(lines.size(), std::size(expected));
  const std::string head = R"({"t":0,"prog":"SETUP.EXE","ev":"gdi",)";
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i], head + (expected[i] + 1)) << i;
}

TEST(GdiTest, SelectionAndDeletionFollowWindowsRules) {
  TestMachine m;
  std::size_t baseline = gdiObjectCount();
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HPEN pen = CreatePen(PS_SOLID, 2, RGB(1, 2, 3));
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 1, nullptr);
  EXPECT_EQ(gdiObjectCount(), baseline + 4);
  EXPECT_EQ(SelectObject(memory, pen), GetStockObject(BLACK_PEN));
  EXPECT_FALSE(DeleteObject(pen));                   // still selected
  EXPECT_EQ(SelectObject(screen, bitmap), nullptr);  // only a memory DC takes a bitmap
  ASSERT_NE(SelectObject(memory, bitmap), nullptr);
  HDC other = CreateCompatibleDC(screen);
  EXPECT_EQ(SelectObject(other, bitmap), nullptr);         // a bitmap sits in one DC at a time
  EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));  // harmless; the stock brush stays
  EXPECT_EQ(GetObjectType(GetStockObject(WHITE_BRUSH)), OBJ_BRUSH);
  EXPECT_FALSE(DeleteObject(handleFromValue<HBRUSH>(0x12345)));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
  LOGPEN lp{};
  EXPECT_EQ(GetObject(pen, sizeof lp, &lp), static_cast<int>(sizeof(LOGPEN)));
  EXPECT_EQ(lp.lopnWidth.x, 2);
  EXPECT_EQ(lp.lopnColor, RGB(1, 2, 3));
  BITMAP bm{};
  EXPECT_EQ(GetObject(bitmap, 0, nullptr), static_cast<int>(sizeof(BITMAP)));
  GetObject(bitmap, sizeof bm, &bm);
  EXPECT_EQ(bm.bmWidth, 4);
  EXPECT_EQ(bm.bmWidthBytes, 2);
  EXPECT_EQ(bm.bmBitsPixel, 1);
  EXPECT_EQ(GetObjectType(memory), OBJ_MEMDC);
  EXPECT_TRUE(DeleteDC(memory));
  EXPECT_FALSE(DeleteDC(screen));  // a window DC is released, not deleted
  EXPECT_TRUE(DeleteObject(pen));
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_TRUE(DeleteDC(other));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  EXPECT_EQ(gdiObjectCount(), baseline);
  struct Bad {
    int w, h;
    UINT planes, bpp;
  } bad[] = {{-1, 4, 1, 1}, {4, 20000, 1, 8}, {4, 4, 2, 1}, {4, 4, 1, 3}};
  for (const auto& b : bad) EXPECT_EQ(CreateBitmap(b.w, b.h, b.planes, b.bpp, nullptr), nullptr);
  BYTE notAMetafile[18] = {1, 0, 4};
  EXPECT_EQ(SetMetaFileBitsEx(sizeof notAMetafile, notAMetafile), nullptr);
  BYTE header[18] = {1, 0, 9, 0, 0, 3};
  HMETAFILE mf = SetMetaFileBitsEx(sizeof header, header);
  ASSERT_NE(mf, nullptr);
  EXPECT_TRUE(DeleteMetaFile(mf));
}

TEST(GdiTest, RealizingAPaletteCountsTheEntriesThatChange) {
  TestMachine m;
  HDC screen = GetDC(nullptr);
  BYTE storage[sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY)] = {};
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage);
  lp->palVersion = 0x300;
  lp->palNumEntries = 3;
  lp->palPalEntry[0] = PALETTEENTRY{0, 0, 0, 0};  // the default palette's first entry already
  lp->palPalEntry[1] = PALETTEENTRY{0, 0, 255, 0};
  lp->palPalEntry[2] = PALETTEENTRY{9, 9, 9, 0};
  HPALETTE pal = CreatePalette(lp);
  HPALETTE old = SelectPalette(screen, pal, FALSE);
  EXPECT_EQ(old, GetStockObject(DEFAULT_PALETTE));
  EXPECT_EQ(RealizePalette(screen), 2u);
  EXPECT_EQ(RealizePalette(screen), 0u);  // nothing changes the second time
  EXPECT_FALSE(DeleteObject(pal));
  SelectPalette(screen, old, FALSE);
  EXPECT_TRUE(DeleteObject(pal));
  ReleaseDC(nullptr, screen);
}

TEST(GdiTest, PaletteEntriesAreReadBack) {
  TestMachine m;
  BYTE storage[sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY)] = {};
  auto* lp = reinterpret_cast<LOGPALETTE*>(storage);
  lp->palVersion = 0x300;
  lp->palNumEntries = 3;
  lp->palPalEntry[0] = PALETTEENTRY{1, 2, 3, 0};
  lp->palPalEntry[1] = PALETTEENTRY{4, 5, 6, 0};
  lp->palPalEntry[2] = PALETTEENTRY{7, 8, 9, 0};
  HPALETTE pal = CreatePalette(lp);
  struct Case {
    UINT start, count, copied;
    BYTE firstRed;
  };
  const Case cases[] = {{0, 3, 3, 1}, {1, 5, 2, 4}, {2, 1, 1, 7}, {3, 1, 0, 0}};
  for (const Case& c : cases) {
    PALETTEENTRY out[4] = {};
    EXPECT_EQ(GetPaletteEntries(pal, c.start, c.count, out), c.copied) << c.start;
    EXPECT_EQ(out[0].peRed, c.firstRed) << c.start;
  }
  EXPECT_EQ(GetPaletteEntries(pal, 0, 0, nullptr), 3u);
  EXPECT_EQ(GetPaletteEntries(nullptr, 0, 3, nullptr), 0u);
  EXPECT_TRUE(DeleteObject(pal));
}

TEST(GdiTest, TextIsMeasuredWithTheFixedMetrics) {
  TestMachine m;
  HDC dc = GetDC(nullptr);
  LOGFONTA lf{};
  lf.lfHeight = -11;  // MS Sans Serif 8 at 96 dpi: 13 pixels high, characters 6 wide
  HFONT font = CreateFontIndirect(&lf);
  SelectObject(dc, font);
  SIZE s{};
  GetTextExtentPoint32(dc, "Next >", 6, &s);
  EXPECT_EQ(s.cx, 36);
  EXPECT_EQ(s.cy, 13);
  TEXTMETRICA tm{};
  GetTextMetrics(dc, &tm);
  EXPECT_EQ(tm.tmAveCharWidth, 6);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  struct Case {
    const char* text;
    UINT format;
    LONG width;
    LONG right, bottom;
  } cases[] = {
      {"one two three", DT_WORDBREAK, 60, 42, 26},           // "one two" / "three"
      {"a\tb", DT_EXPANDTABS | DT_SINGLELINE, 200, 54, 13},  // the tab runs to 48
      {"&Next", DT_SINGLELINE, 200, 24, 13},                 // the prefix mark takes no room
      {"&Next", DT_SINGLELINE | DT_NOPREFIX, 200, 30, 13},
      {"line\r\nline two", DT_NOPREFIX, 200, 48, 26},
  };
  for (const auto& c : cases) {
    RECT r{0, 0, c.width, 0};
    EXPECT_EQ(DrawText(dc, c.text, -1, &r, c.format | DT_CALCRECT), c.bottom) << c.text;
    EXPECT_EQ(r.right, c.right) << c.text;
  }
  SelectObject(dc, GetStockObject(SYSTEM_FONT));
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
}

TEST(GdiTest, DeviceCapabilitiesComeFromTheMachine) {
  struct Case {
    const char* ini;
    int bits, dpi, palette;
    bool paletteDevice;
  } cases[] = {{"", 8, 96, 256, true},
               {"[system]\nbpp = 24\nscreen = 800x600\n[ui]\nlogpixelsy = 120\n", 24, 120, 0, false}};
  for (const auto& c : cases) {
    TestMachine m(c.ini);
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), c.bits);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), c.dpi);
    EXPECT_EQ(GetDeviceCaps(dc, SIZEPALETTE), c.palette);
    EXPECT_EQ((GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) != 0, c.paletteDevice);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), m.machine().description().system.screenWidth);
    ReleaseDC(nullptr, dc);
  }
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
  EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHT), RGB(0, 0, 128));
}

}  // namespace
