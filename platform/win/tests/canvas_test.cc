// The raster canvas: ternary ROPs over pattern, source and destination, colour
// to mono masks and back, tiled 8 x 8 pattern brushes, StretchDIBits of bottom-up
// and top-down DIBs, 8-bit surfaces through their DC's palette, clips, window DCs.
#include "win/canvas.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "win/window.h"
#include "win_testing/test_machine.h"

namespace {

using namespace win;
using win_testing::TestMachine;

constexpr const char* kTrueColor = "[system]\nbpp = 32\n";

// A memory DC holding a new bitmap of the given depth, filled with one colour.
struct MemoryCanvas {
  MemoryCanvas(int width, int height, UINT bpp, COLORREF fill) {
    dc = CreateCompatibleDC(nullptr);
    bitmap = CreateBitmap(width, height, 1, bpp, nullptr);
    old = SelectObject(dc, bitmap);
    HBRUSH brush = CreateSolidBrush(fill);
    RECT all{0, 0, width, height};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }
  ~MemoryCanvas() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ old;
};

TEST(CanvasTest, EveryTernaryRopCombinesPatternSourceAndDestinationBitwise) {
  TestMachine m(kTrueColor);
  const COLORREF P = RGB(0xF0, 0xCC, 0xAA), S = RGB(0xFF, 0x00, 0x5A), D = RGB(0x0F, 0x3C, 0x96);
  const COLORREF all = 0xFFFFFF;
  struct Case {
    DWORD rop;
    COLORREF expected;
  } cases[] = {
      {SRCCOPY, S},
      {SRCAND, S & D},
      {SRCPAINT, S | D},
      {SRCINVERT, S ^ D},
      {SRCERASE, S & (~D & all)},
      {NOTSRCCOPY, ~S & all},
      {MERGECOPY, P & S},
      {PATCOPY, P},
      {PATINVERT, P ^ D},
      {DSTINVERT, ~D & all},
      {BLACKNESS, 0},
      {WHITENESS, all},
      {0x00E20746, (S & P) | (~S & D & all)},  // source selects pattern, else destination
      {0x00AC0744, (P & D) | (~P & S & all)},  // pattern selects destination, else source
  };
  MemoryCanvas source(1, 1, 32, S);
  for (const auto& c : cases) {
    MemoryCanvas dest(1, 1, 32, D);
    HBRUSH brush = CreateSolidBrush(P);
    HGDIOBJ old = SelectObject(dest.dc, brush);
    ASSERT_TRUE(BitBlt(dest.dc, 0, 0, 1, 1, source.dc, 0, 0, c.rop));
    EXPECT_EQ(GetPixel(dest.dc, 0, 0), c.expected) << std::hex << c.rop;
    SelectObject(dest.dc, old);
    DeleteObject(brush);
  }
}

TEST(CanvasTest, ColourToMonoMarksTheSourceBackgroundAndMonoToColourUsesTextAndBackground) {
  TestMachine m(kTrueColor);
  const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), white = RGB(255, 255, 255);
  MemoryCanvas colour(4, 1, 32, white);
  SetPixel(colour.dc, 0, 0, blue);
  SetPixel(colour.dc, 2, 0, blue);
  SetPixel(colour.dc, 3, 0, red);
  MemoryCanvas mask(4, 1, 1, 0);
  SetBkColor(colour.dc, blue);
  BitBlt(mask.dc, 0, 0, 4, 1, colour.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvasDump(mask.dc, RECT{0, 0, 4, 1}, {{white, '1'}, {0, '0'}}), "1010");

  MemoryCanvas back(4, 1, 32, 0);
  SetTextColor(back.dc, RGB(1, 2, 3));
  SetBkColor(back.dc, RGB(9, 8, 7));
  BitBlt(back.dc, 0, 0, 4, 1, mask.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(canvasDump(back.dc, RECT{0, 0, 4, 1}, {{RGB(1, 2, 3), 't'}, {RGB(9, 8, 7), 'b'}}), "btbt");
}

TEST(CanvasTest, AMonoPatternBrushTilesEightByEightInTheTextAndBackgroundColours) {
  TestMachine m(kTrueColor);
  // Rows alternate 0xAA and 0x55 (a checkerboard), each row padded to 16 bits.
  BYTE bits[16];
  for (int row = 0; row < 8; ++row) bits[2 * row] = row % 2 ? 0x55 : 0xAA, bits[2 * row + 1] = 0;
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, bits);
  HBRUSH brush = CreatePatternBrush(pattern);
  MemoryCanvas canvas(12, 2, 32, 0);
  SetTextColor(canvas.dc, RGB(255, 0, 0));
  SetBkColor(canvas.dc, RGB(0, 255, 0));
  HGDIOBJ old = SelectObject(canvas.dc, brush);
  PatBlt(canvas.dc, 0, 0, 12, 2, PATCOPY);
  EXPECT_EQ(canvasDump(canvas.dc, RECT{0, 0, 12, 2}, {{RGB(255, 0, 0), 'r'}, {RGB(0, 255, 0), 'g'}}),
            "grgrgrgrgrgr\nrgrgrgrgrgrg");
  SelectObject(canvas.dc, old);
  DeleteObject(brush);
  DeleteObject(pattern);
}

// A 2 x 2 24-bit DIB: rows of 6 bytes padded to 8.
std::string dib2x2(LONG height, COLORREF topLeft, COLORREF topRight, COLORREF bottomLeft, COLORREF bottomRight) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = 2;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  std::string out(reinterpret_cast<const char*>(&h), sizeof h);
  auto row = [&](COLORREF a, COLORREF b) {
    for (COLORREF c : {a, b}) out += {static_cast<char>(GetBValue(c)), static_cast<char>(GetGValue(c)),
                                      static_cast<char>(GetRValue(c))};
    out.append(2, '\0');
  };
  if (height > 0) {
    row(bottomLeft, bottomRight);
    row(topLeft, topRight);
  } else {
    row(topLeft, topRight);
    row(bottomLeft, bottomRight);
  }
  return out;
}

TEST(CanvasTest, StretchDIBitsScalesBothRowOrdersToTheSamePicture) {
  TestMachine m(kTrueColor);
  const COLORREF r = RGB(255, 0, 0), g = RGB(0, 255, 0), b = RGB(0, 0, 255), w = RGB(255, 255, 255);
  for (LONG height : {2L, -2L}) {
    std::string dib = dib2x2(height, r, g, b, w);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    MemoryCanvas canvas(4, 4, 32, 0);
    ASSERT_EQ(StretchDIBits(canvas.dc, 0, 0, 4, 4, 0, 0, 2, 2, dib.data() + sizeof(BITMAPINFOHEADER), info,
                            DIB_RGB_COLORS, SRCCOPY),
              2);
    EXPECT_EQ(canvasDump(canvas.dc, RECT{0, 0, 4, 4}, {{r, 'r'}, {g, 'g'}, {b, 'b'}, {w, 'w'}}),
              "rrgg\nrrgg\nbbww\nbbww")
        << height;
  }
}

TEST(CanvasTest, EightBitSurfacesHoldIndexesOfTheirDcsPalette) {
  TestMachine m(kTrueColor);
  LOGPALETTE* log = static_cast<LOGPALETTE*>(::operator new(sizeof(LOGPALETTE) + 2 * sizeof(PALETTEENTRY)));
  log->palVersion = 0x300;
  log->palNumEntries = 3;
  log->palPalEntry[0] = PALETTEENTRY{0, 0, 0, 0};
  PALETTEENTRY more[2] = {{200, 10, 10, 0}, {10, 10, 200, 0}};
  std::memcpy(&log->palPalEntry[1], more, sizeof more);
  HPALETTE palette = CreatePalette(log);
  ::operator delete(log);
  MemoryCanvas canvas(2, 1, 8, 0);
  HPALETTE old = SelectPalette(canvas.dc, palette, FALSE);
  EXPECT_EQ(SetPixel(canvas.dc, 0, 0, RGB(255, 0, 0)), RGB(200, 10, 10));  // nearest entry
  SetPixel(canvas.dc, 1, 0, PALETTEINDEX(2));
  EXPECT_EQ(GetPixel(canvas.dc, 1, 0), RGB(10, 10, 200));
  SelectPalette(canvas.dc, old, FALSE);
  DeleteObject(palette);
}

TEST(CanvasTest, DrawingStaysInsideTheClipAndTheSurface) {
  TestMachine m(kTrueColor);
  MemoryCanvas canvas(4, 2, 32, 0);
  IntersectClipRect(canvas.dc, 1, 0, 3, 2);
  SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH));
  PatBlt(canvas.dc, -5, -5, 50, 50, PATCOPY);
  EXPECT_EQ(canvasDump(canvas.dc, RECT{0, 0, 4, 2}, {{RGB(255, 255, 255), 'w'}, {0, '.'}}), ".ww.\n.ww.");
  EXPECT_EQ(GetPixel(canvas.dc, 4, 0), CLR_INVALID);
}

LRESULT plain(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProc(hwnd, message, wParam, lParam);
}

TEST(CanvasTest, AWindowsDcsShareItsClientArea) {
  TestMachine m(kTrueColor);
  WNDCLASSA wc{};
  wc.lpfnWndProc = plain;
  wc.lpszClassName = "Canvas";
  RegisterClass(&wc);
  HWND hwnd = CreateWindowEx(0, "Canvas", "", WS_POPUP, 0, 0, 20, 10, nullptr, nullptr, nullptr, nullptr);
  HDC first = GetDC(hwnd);
  RECT r{2, 2, 5, 4};
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(first, &r, brush);
  ReleaseDC(hwnd, first);
  DeleteObject(brush);
  HDC second = GetDC(hwnd);
  EXPECT_EQ(GetPixel(second, 2, 2), RGB(0, 0, 255));
  EXPECT_EQ(GetPixel(second, 5, 2), RGB(0, 0, 0));
  EXPECT_EQ(GetPixel(second, 20, 0), CLR_INVALID);  // outside the client area
  ReleaseDC(hwnd, second);
  DestroyWindow(hwnd);
}

}  // namespace

namespace {

TEST(CanvasTest, OnAPaletteDisplayAMaskRopReplacesExactlyTheMaskedPixels) {
  TestMachine m;  // 8 bits per pixel: the default palette's black is index 0, its white 255
  const COLORREF blue = RGB(0, 0, 255), red = RGB(255, 0, 0), white = RGB(255, 255, 255), green = RGB(0, 255, 0);
  HDC screen = GetDC(nullptr);
  auto canvas = [&](int bpp) {
    HDC dc = CreateCompatibleDC(screen);
    SelectObject(dc, bpp == 1 ? CreateBitmap(3, 1, 1, 1, nullptr) : CreateCompatibleBitmap(screen, 3, 1));
    return dc;
  };
  HDC picture = canvas(8), mask = canvas(1), work = canvas(8);
  SetPixel(picture, 0, 0, blue);
  SetPixel(picture, 1, 0, red);
  SetPixel(picture, 2, 0, white);
  SetBkColor(picture, blue);
  BitBlt(mask, 0, 0, 3, 1, picture, 0, 0, SRCCOPY);
  BitBlt(work, 0, 0, 3, 1, picture, 0, 0, SRCCOPY);
  HBRUSH brush = CreateSolidBrush(green);
  SelectObject(work, brush);
  SetTextColor(work, RGB(0, 0, 0));
  SetBkColor(work, white);
  BitBlt(work, 0, 0, 3, 1, mask, 0, 0, 0x00E20746);
  EXPECT_EQ(canvasDump(work, RECT{0, 0, 3, 1}, {{green, 'g'}, {red, 'r'}, {white, 'w'}}), "grw");
  SelectObject(work, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
  ReleaseDC(nullptr, screen);
}

}  // namespace
