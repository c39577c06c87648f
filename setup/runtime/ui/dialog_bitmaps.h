// Bitmaps in dialogs: the palette of a 256-colour DIB, a graphic of the
// installation file drawn in dialog units (picture or wizard box mode), and a
// blit that leaves one colour of a bitmap showing the target's background.
#pragma once

#include <cstddef>

#include "win/gdi.h"

namespace merl {

// For an 8-bit DIB only: a palette of its colour table (biClrUsed entries, 256 for 0; none
// past 256), selected into dc as a foreground palette and realised; it replaces and deletes
// *slot's palette. The new palette, or null.
win::HPALETTE RealizeDibPalette(const win::BITMAPINFOHEADER* header, win::HDC dc, win::HPALETTE* slot);

// The palette slots of the run's dialogs: the custom dialog's and the off-screen one.
win::HPALETTE* customDialogPalette();
win::HPALETTE* offscreenPalette();

// How PaintDialogBitmap places a graphic.
struct DialogBitmapPlace {
  int x = 0, y = 0;           // dialog units
  int width = 0, height = 0;  // dialog units, or the bitmap's pixels in box mode
  bool proportion = false;
  bool frame = false;  // box mode: white right and bottom edges, grey left and top
  bool boxMode = false;
  win::COLORREF boxColor = 0;
};

// The graphic's layout checks: a 10-byte prefix, a BITMAPINFOHEADER, at most 256 colours whose
// table lies inside, and bits (stride x height from the prefix's offset) inside size.
bool DialogBitmapFits(const win::BYTE* data, std::size_t size);

// Draws graphic data (prefix, header, colours, bits; size bytes) into dc, through an
// off-screen bitmap of window's client area when window is given. Nothing is drawn for data
// that does not fit. False when nothing was drawn.
bool PaintDialogBitmap(win::HDC dc, const win::BYTE* data, std::size_t size, const DialogBitmapPlace& place,
                       win::HWND window);

// Blits bitmap to (x, y) of dc; its pixels of the transparent colour show dc's background colour.
void DrawTransparentBitmap(win::HDC dc, int x, int y, win::HBITMAP bitmap, win::COLORREF transparent);

}  // namespace merl
