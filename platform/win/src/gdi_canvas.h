// The raster canvas under the drawing calls: pixel surfaces of bitmaps (1, 8 or
// 32 bits), windows and the screen, and the conversions between a DC's colours
// and a surface's pixel values.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gdi_internal.h"

namespace win::detail {

// Pixels of one surface: 1-bit values 0/1, 8-bit palette indexes, or COLORREF values (32).
struct Surface {
  int width = 0;
  int height = 0;
  int bpp = 32;
  std::vector<std::uint32_t> px;

  bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::uint32_t& at(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t at(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
  std::uint32_t mask() const { return bpp == 1 ? 1u : bpp == 8 ? 0xFFu : 0xFFFFFFu; }
};

// The storage depth of a bitmap of the given bits per pixel (1, 8, else 32).
int surfaceDepth(int bitsPerPixel);

// A bitmap's pixels, made (black) on first use; null when too large to hold.
Surface* bitmapSurface(GdiBitmap& bitmap);
// What a DC draws on: its memory bitmap, its window's client area or the screen.
Surface* surfaceOf(DeviceContext& dc);

// The palette a DC resolves 8-bit values and PALETTEINDEX colours with.
const std::vector<PALETTEENTRY>& paletteOf(const DeviceContext& dc);
// The default palette of the machine.
const std::vector<PALETTEENTRY>& defaultPaletteEntries();

// A colour as the DC would draw it (PALETTEINDEX resolved), without flags.
COLORREF resolveColor(const DeviceContext& dc, COLORREF color);
// A surface value as a colour.
COLORREF colorOfValue(const std::vector<PALETTEENTRY>& palette, int bpp, std::uint32_t value);
// A colour as a value of a surface of the DC (nearest palette entry at 8 bits,
// black or white by brightness at 1 bit).
std::uint32_t valueOfColor(const DeviceContext& dc, int bpp, COLORREF color);
// A source pixel as a destination value: mono sources take the destination's text (0) and
// background (1) colours; colour sources become 1 where they equal the source's background.
std::uint32_t convertPixel(const DeviceContext& src, int srcBpp, std::uint32_t value, const DeviceContext& dst,
                           int dstBpp);

// Fills a surface from bitmap bits as CreateBitmap takes them (rows padded to 16 bits).
void loadBitmapBits(Surface& s, int bitsPerPixel, const void* bits);

// The colour of pixel (x, y) of a DIB, false outside it; rows bottom-up unless biHeight < 0.
bool dibPixel(const BITMAPINFO* info, UINT usage, const void* bits, int x, int y, COLORREF* out);

}  // namespace win::detail
