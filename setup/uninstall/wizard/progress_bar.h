// The progress bar of the wizard's perform page: the figures the undo keeps,
// the blocks they make inside the progress rectangle, and their painting.
#pragma once

#include <cstdint>
#include <vector>

#include "win/types.h"

namespace remvex {

struct ProgressFigures {
  std::uint32_t total = 1;
  std::uint32_t done = 0;
  bool shown = false;  // the progress page is set up
};

// The figures the wizard paints; the undo sets them.
const ProgressFigures& Progress();
void SetProgressFigures(std::uint32_t total, std::uint32_t done, bool shown);

// The blocks for done of total inside the rectangle: the width done is computed in 64 bits and
// clamped to the rectangle; blocks of pitch - 3 pixels (pitch = height x 2 / 3) from the left,
// 1 pixel inside top and bottom, none when pitch - 3 <= 0; no block passes the right edge.
std::vector<win::RECT> ProgressBlocks(const win::RECT& inside, std::uint32_t total, std::uint32_t done);

// Invalidates the wizard's progress rectangle (no erase) so that the bar is painted again.
void InvalidateProgressArea();

// Paints the blocks in dark blue, and a black frame just outside without the dialog library.
void PaintProgressBar(win::HDC dc, const win::RECT& inside, const ProgressFigures& figures, bool dialogLibrary);

}  // namespace remvex
