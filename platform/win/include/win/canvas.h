// Pixels of the emulated machine's raster canvas: every DC draws into a surface
// (its memory bitmap, its window's client area or the screen) that these calls
// read back, so tests can check what a paint left.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "win/gdi.h"

namespace win {

// The colour of a pixel of the DC's surface; CLR_INVALID outside it.
COLORREF GetPixel(HDC hdc, int x, int y);
// Sets one pixel (traced); returns the colour set, CLR_INVALID outside the surface or clip.
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

// The rectangle's pixels row by row.
std::vector<COLORREF> canvasPixels(HDC hdc, const RECT& rect);
// The rectangle as text, one line per row and one character per pixel from the legend
// ('?' for a colour it does not name).
std::string canvasDump(HDC hdc, const RECT& rect, std::initializer_list<std::pair<COLORREF, char>> legend);

}  // namespace win
