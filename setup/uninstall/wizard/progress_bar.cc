#include "wizard/progress_bar.h"

#include <algorithm>

#include "constants.h"
#include "run_state.h"
#include "win/gdi.h"
#include "win/window.h"
#include "wizard/wizard_state.h"

namespace remvex {

std::vector<win::RECT> ProgressBlocks(const win::RECT& inside, std::uint32_t total, std::uint32_t done) {
  std::vector<win::RECT> blocks;
  const long long width = static_cast<long long>(inside.right) - inside.left;
  const long long height = static_cast<long long>(inside.bottom) - inside.top;
  const long long pitch = height * 2 / 3;
  if (width <= 0 || total == 0 || pitch - 3 <= 0) return blocks;
  const long long widthDone = std::clamp<long long>(width * done / total, 0, width);
  for (long long x = 0; x < widthDone; x += pitch) {
    const long long right = std::min(x + pitch - 3, width);
    blocks.push_back({static_cast<win::LONG>(inside.left + x), inside.top + 1,
                      static_cast<win::LONG>(inside.left + right), inside.bottom - 1});
  }
  return blocks;
}

void InvalidateProgressArea() {
  if (Run().wizard) win::InvalidateRect(Run().wizard, &Wizard().progress, win::FALSE);
}

void PaintProgressBar(win::HDC dc, const win::RECT& inside, const UndoProgress& f, bool dialogLibrary) {
  if (!dialogLibrary) {
    const win::RECT frame{inside.left - 1, inside.top - 1, inside.right + 1, inside.bottom + 1};
    win::FrameRect(dc, &frame, static_cast<win::HBRUSH>(win::GetStockObject(win::BLACK_BRUSH)));
  }
  const std::vector<win::RECT> blocks = ProgressBlocks(inside, f.total, f.done);
  if (blocks.empty()) return;
  const win::COLORREF previous = win::SetBkColor(dc, kProgressColour);
  for (const win::RECT& r : blocks) win::ExtTextOut(dc, r.left, r.top, win::ETO_OPAQUE | win::ETO_CLIPPED, &r, "", 0, nullptr);
  win::SetBkColor(dc, previous);
}

}  // namespace remvex
