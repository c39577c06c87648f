// The back end behind the drawing calls. Every call is traced first, then handed
// here: the raster canvas draws into pixel surfaces behind the same calls, so the
// trace does not change.
#pragma once

#include <string_view>

#include "win/types.h"

namespace win::detail {

struct DeviceContext;
struct GdiBitmap;
struct GdiBrush;

class GdiBackend {
 public:
  virtual ~GdiBackend() = default;

  // A bitmap was made (bits: its initial pixels as the call gave them, or null).
  virtual void bitmapCreated(GdiBitmap&, const void* bits, const BITMAPINFO* info, UINT usage) {
    (void)bits, (void)info, (void)usage;
  }
  virtual void patBlt(DeviceContext&, const RECT& rect, DWORD rop) { (void)rect, (void)rop; }
  virtual void bitBlt(DeviceContext& dest, const RECT& destRect, DeviceContext* source, const RECT& sourceRect,
                      DWORD rop) {
    (void)dest, (void)destRect, (void)source, (void)sourceRect, (void)rop;
  }
  virtual void stretchDIBits(DeviceContext&, const RECT& destRect, const RECT& sourceRect, const void* bits,
                             const BITMAPINFO* info, UINT usage, DWORD rop) {
    (void)destRect, (void)sourceRect, (void)bits, (void)info, (void)usage, (void)rop;
  }
  virtual void fillRect(DeviceContext&, const RECT& rect, GdiBrush& brush) { (void)rect, (void)brush; }
  virtual void frameRect(DeviceContext&, const RECT& rect, GdiBrush& brush) { (void)rect, (void)brush; }
  virtual void textOut(DeviceContext&, int x, int y, UINT options, const RECT* rect, std::string_view text) {
    (void)x, (void)y, (void)options, (void)rect, (void)text;
  }
  virtual void drawIcon(DeviceContext&, int x, int y, HICON icon) { (void)x, (void)y, (void)icon; }
  virtual void playMetaFile(DeviceContext&, std::string_view bits) { (void)bits; }
};

// The back end every new DC uses (the raster canvas).
GdiBackend& defaultGdiBackend();
// The raster canvas (gdi_raster.cc).
GdiBackend& rasterGdiBackend();

}  // namespace win::detail
