// The 32 placed-graphic slots of the background window: their record, the slide
// switch the copy progress drives, and invalidating, allocating and freeing a
// slot's graphic.
#pragma once

#include <array>
#include <cstddef>

#include "run.h"

namespace merl {

inline constexpr int kGraphicSlots = 32;
inline constexpr int kNextSlideSlot = kGraphicSlots - 1;
// The next slide threshold when no slide is pending.
inline constexpr BYTE kNoSlidePending = 255;

// Flag bits of a placed graphic (the display-bitmap record's flags).
inline constexpr WORD kGraphicTiled = 0x0040;
inline constexpr WORD kGraphicEffectMask = 0x0380;
inline constexpr int kGraphicEffectShift = 7;
inline constexpr WORD kGraphicMetafile = 0x0400;

// Entrance effects that move in from a window edge.
inline constexpr int kEffectFromTop = 2;
inline constexpr int kEffectFromBottom = 3;
inline constexpr int kEffectFromLeft = 4;
inline constexpr int kEffectFromRight = 5;

// One slot. Same order as the 32-bit record (14 fields of 4 bytes); handles and addresses
// are pointer-width here and the padding they bring is written out.
//
//   field          32-bit  this build (64-bit)
//   data           +0      +0  (8; null = slot free)
//   memory         +4      +8  (8; the data block's handle)
//   sourceWidth    +8      +16
//   sourceHeight   +12     +20
//   colourCount    +16     +24
//   displayWidth   +20     +28
//   displayHeight  +24     +32
//   bitsOffset     +28     +36
//   x              +32     +40
//   y              +36     +44
//   flags          +40 u16 +48 u16
//   slideShow      +44     +52
//   fresh          +48     +56
//   metafile       +52     +64 (8)
//   size           56      72
struct PlacedGraphic {
  BYTE* data;
  HGLOBAL memory;
  DWORD sourceWidth;
  DWORD sourceHeight;
  DWORD colourCount;
  DWORD displayWidth;
  DWORD displayHeight;
  DWORD bitsOffset;
  win::LONG x;
  win::LONG y;
  WORD flags;
  WORD reserved42;
  DWORD slideShow;
  DWORD fresh;
#if MERL_WIDE_BUILD
  DWORD reserved60;
#endif
  win::HMETAFILE metafile;

  bool used() const { return data != nullptr; }
};

#define MERL_GRAPHIC_AT(field, at32, at64) \
  static_assert(offsetof(PlacedGraphic, field) == (kWideBuild ? (at64) : (at32)), #field)
MERL_GRAPHIC_AT(data, 0, 0);
MERL_GRAPHIC_AT(memory, 4, 8);
MERL_GRAPHIC_AT(sourceWidth, 8, 16);
MERL_GRAPHIC_AT(displayWidth, 20, 28);
MERL_GRAPHIC_AT(bitsOffset, 28, 36);
MERL_GRAPHIC_AT(x, 32, 40);
MERL_GRAPHIC_AT(y, 36, 44);
MERL_GRAPHIC_AT(flags, 40, 48);
MERL_GRAPHIC_AT(slideShow, 44, 52);
MERL_GRAPHIC_AT(fresh, 48, 56);
MERL_GRAPHIC_AT(metafile, 52, 64);
#undef MERL_GRAPHIC_AT
static_assert(sizeof(PlacedGraphic) == (kWideBuild ? 72 : 56));

// The run's slots, zeroed at start. Slots are used from 0 upward; pending slides lie from
// slot 31 downward, the next one in slot 31.
struct GraphicsTable : RunState {
  std::array<PlacedGraphic, kGraphicSlots> slots = {};
};

GraphicsTable& graphicsTable();

// Marks the slot's rectangle for repainting without erasing (a tiled graphic: the whole main
// window); with widen, a move-in effect stretches it to the edge it comes from.
void InvalidateGraphic(int slot, bool widen);

// A GMEM_FIXED block of size bytes as the slot's data handle; its address, or null.
void* AllocGraphicMemory(int slot, DWORD size);

// Frees the slot's graphic (metafile and data block) and empties the slot.
void FreeGraphic(int slot);

// Frees every slot (the end of the run).
void FreeGraphics();

// The slide switch at percentage: the slide in slot 31 takes the place of the slide-show slot
// (or the first free one) and the pending slides below it move up by one. Returns the next
// slide threshold (kNoSlidePending when none is left). Does nothing (and returns
// kNoSlidePending) when slot 31 holds no slide or no slot can take it.
BYTE SwitchSlide(BYTE percentage);

}  // namespace merl
