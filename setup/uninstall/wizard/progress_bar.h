// The progress bar of the wizard's perform page: the blocks the undo's figures
// (Progress()) make inside the progress rectangle, and their painting.
#pragma once

#include <cstdint>
#include <vector>

#include "undo/progress_text.h"
#include "win/types.h"

namespace remvex {

// The blocks for done of total inside the rectangle: the width done is computed in 64 bits and
// clamped to the rectangle; blocks of pitch - 3 pixels (pitch = height x 2 / 3) from the left,
// 1 pixel inside top and bottom, none when pitch - 3 <= 0; no block passes the right edge.
std::vector<win::RECT> ProgressBlocks(const win::RECT& inside, std::uint32_t total, std::uint32_t done);

// Invalidates the wizard's progress rectangle (no erase) so that the bar is painted again.
void InvalidateProgressArea();

// Paints the blocks in dark blue, and a black frame just outside without the dialog library.
void PaintProgressBar(win::HDC dc, const win::RECT& inside, const UndoProgress& figures, bool dialogLibrary);

}  // namespace remvex
