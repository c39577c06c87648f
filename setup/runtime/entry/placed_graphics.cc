// The placed-graphic slots: invalidation, memory, freeing and the slide switch.
#include "entry/placed_graphics.h"

#include "win/gdi.h"
#include "win/system.h"
#include "win/window.h"

namespace merl {

namespace {

bool validSlot(int slot) { return slot >= 0 && slot < kGraphicSlots; }

PlacedGraphic& slotAt(int slot) { return graphicsTable().slots[static_cast<std::size_t>(slot)]; }

HWND mainWindow() {
  SetupRec* setup = run().setup();
  return setup ? setup->mainWindow : nullptr;
}

// The rectangle a graphic moving in from an edge crosses.
void widenToEdge(win::RECT& r, int effect) {
  const SetupRec* setup = run().setup();
  const win::LONG width = setup ? static_cast<win::LONG>(setup->screenWidth) : r.right;
  const win::LONG height = setup ? static_cast<win::LONG>(setup->screenHeight) : r.bottom;
  switch (effect) {
    case kEffectFromTop: r.top = 0; break;
    case kEffectFromBottom: r.bottom = height; break;
    case kEffectFromLeft: r.left = 0; break;
    case kEffectFromRight: r.right = width; break;
    default: break;
  }
}

// The lowest slot that can show the next slide: free, or the slide-show slot.
int slideTarget() {
  for (int i = 0; i < kNextSlideSlot; ++i) {
    const PlacedGraphic& g = slotAt(i);
    if (!g.used() || g.slideShow) return i;
  }
  return -1;
}

// Moves the pending slides above target up by one slot; returns the slot where the run of
// pending slides ended (the first one not moved).
int shiftPendingSlides(int target) {
  auto& slots = graphicsTable().slots;
  int i = kNextSlideSlot - 1;
  for (; i > target && slots[i].used() && slots[i].slideShow; --i) slots[i + 1] = slots[i];
  slots[i + 1] = PlacedGraphic{};
  return i;
}

}  // namespace

GraphicsTable& graphicsTable() { return run().state<GraphicsTable>(); }

void InvalidateGraphic(int slot, bool widen) {
  HWND window = mainWindow();
  if (!validSlot(slot) || !window) return;
  const PlacedGraphic& g = slotAt(slot);
  if (g.flags & kGraphicTiled) {
    win::InvalidateRect(window, nullptr, win::FALSE);
    return;
  }
  win::RECT r{g.x, g.y, g.x + static_cast<win::LONG>(g.displayWidth), g.y + static_cast<win::LONG>(g.displayHeight)};
  if (widen) widenToEdge(r, (g.flags & kGraphicEffectMask) >> kGraphicEffectShift);
  win::InvalidateRect(window, &r, win::FALSE);
}

void* AllocGraphicMemory(int slot, DWORD size) {
  if (!validSlot(slot)) return nullptr;
  PlacedGraphic& g = slotAt(slot);
  g.memory = win::GlobalAlloc(win::GMEM_FIXED, size);
  if (!g.memory) return nullptr;
  void* at = win::GlobalLock(g.memory);
  if (!at) {
    win::GlobalFree(g.memory);
    g.memory = nullptr;
  }
  return at;
}

void FreeGraphic(int slot) {
  if (!validSlot(slot)) return;
  PlacedGraphic& g = slotAt(slot);
  if ((g.flags & kGraphicMetafile) && g.metafile) win::DeleteMetaFile(g.metafile);
  if (g.memory) {
    win::GlobalUnlock(g.memory);
    win::GlobalFree(g.memory);
  }
  g = PlacedGraphic{};
}

void FreeGraphics() {
  Run* current = currentRun();
  if (!current) return;
  for (int i = 0; i < kGraphicSlots; ++i) FreeGraphic(i);
}

BYTE SwitchSlide(BYTE percentage) {
  auto& slots = graphicsTable().slots;
  if (!slots[kNextSlideSlot].used() || !slots[kNextSlideSlot].slideShow) return kNoSlidePending;
  int target = slideTarget();
  if (target < 0) return kNoSlidePending;
  if (slots[target].used()) {
    InvalidateGraphic(target, false);
    FreeGraphic(target);
  }
  slots[target] = slots[kNextSlideSlot];
  InvalidateGraphic(target, true);
  bool pending = slots[kNextSlideSlot - 1].used() && slots[kNextSlideSlot - 1].slideShow &&
                 kNextSlideSlot - 1 > target;
  int stop = shiftPendingSlides(target);
  if (!pending) return kNoSlidePending;
  return static_cast<BYTE>(percentage + (100 - percentage) / (kNextSlideSlot - stop));
}

}  // namespace merl
