// The runtime's bitmap resources: drive pictures 2 to 6 (removable, fixed,
// remote, CD-ROM, RAM disk) and folder pictures 10 to 12 (a subdirectory, a
// directory on the current path, the current directory), drawn on pure blue,
// the colour owner-drawn items leave transparent.
#pragma once

#include <string>

#include "win/types.h"

namespace merl {

inline constexpr int kRuntimeBitmapIds[] = {2, 3, 4, 5, 6, 10, 11, 12};
inline constexpr int kRuntimeBitmapSide = 16;

// The 16 x 16, 24-bit DIB (header and bottom-up bits) of one picture; a plain grey square
// for an id without artwork.
std::string placeholderBitmap(int id);

// Makes the run's bitmaps from this library's resources (a missing one stays null), and
// deletes them again.
void LoadRuntimeBitmaps();
void FreeRuntimeBitmaps();

// The loaded bitmap of a picture id; null when it is not loaded or not a picture.
win::HBITMAP runtimeBitmap(int id);

}  // namespace merl
