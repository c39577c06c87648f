// The runtime's bitmap resources (2 to 6 and 10 to 12): plain placeholder DIBs.
#pragma once

#include <string>

namespace merl {

inline constexpr int kRuntimeBitmapIds[] = {2, 3, 4, 5, 6, 10, 11, 12};

// A 16 x 16, 24-bit DIB (header and bits) of one grey that differs per id.
std::string placeholderBitmap(int id);

// Makes the run's bitmaps from this library's resources (a missing one stays null), and
// deletes them again.
void LoadRuntimeBitmaps();
void FreeRuntimeBitmaps();

}  // namespace merl
