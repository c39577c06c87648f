// Owner-drawn items of the directory browser: a drive combo item with its
// drive picture, or a directory list item with its folder picture indented by
// its level, the text beside it.
#pragma once

#include "win/controls.h"

namespace merl {

// The colour owner-drawn pictures leave transparent.
inline constexpr win::COLORREF kPictureTransparent = 0x00FF0000;  // RGB(0, 0, 255)

// Paints one item (one with a valid index): item data (picture << 16) | level.
void DrawOwnerDrawItem(const win::DRAWITEMSTRUCT* item, bool combo);

}  // namespace merl
