// The raster back end: ternary ROPs over a DC's surface with its brush (solid or
// a pattern bitmap tiled from the surface's origin) and a source DC or DIB, plus
// rectangle fills, frames and opaque text cells. Everything is clipped to the
// surface and the DC's clip.
#include <algorithm>

#include "gdi_canvas.h"

namespace win::detail {

namespace {

std::uint32_t rop3(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t out = 0;
  for (unsigned i = 0; i < 8; ++i)
    if ((index >> i) & 1) out |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  return out;
}

bool usesPattern(unsigned index) { return ((index >> 4) & 0x0F) != (index & 0x0F); }

// The brush's value at a device pixel, as a value of the destination surface.
class Pattern {
 public:
  Pattern(DeviceContext& dc, int bpp, GdiBrush* brush) : dc_(dc), bpp_(bpp) {
    if (!brush || brush->log.lbStyle == BS_NULL) return;
    valid_ = true;
    if (brush->log.lbStyle == BS_PATTERN) {
      auto bm = std::dynamic_pointer_cast<GdiBitmap>(gdiState().find(brush->pattern));
      tile_ = bm ? bitmapSurface(*bm) : nullptr;
      valid_ = tile_ != nullptr;
    } else {
      solid_ = valueOfColor(dc, bpp, brush->log.lbColor);
    }
  }
  bool valid() const { return valid_; }
  std::uint32_t at(int x, int y) const {
    if (!tile_) return solid_;
    std::uint32_t v = tile_->at(x % tile_->width, y % tile_->height);
    if (tile_->bpp == 1) return valueOfColor(dc_, bpp_, v ? dc_.bkColor : dc_.textColor);
    if (tile_->bpp == bpp_) return v;
    return valueOfColor(dc_, bpp_, colorOfValue(defaultPaletteEntries(), tile_->bpp, v));
  }

 private:
  DeviceContext& dc_;
  int bpp_;
  bool valid_ = false;
  Surface* tile_ = nullptr;
  std::uint32_t solid_ = 0;
};

RECT clipped(DeviceContext& dc, const Surface& s, const RECT& r) {
  RECT c{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min(r.right, static_cast<LONG>(s.width)),
         std::min(r.bottom, static_cast<LONG>(s.height))};
  if (dc.hasClip)
    c = RECT{std::max(c.left, dc.clip.left), std::max(c.top, dc.clip.top), std::min(c.right, dc.clip.right),
             std::min(c.bottom, dc.clip.bottom)};
  return c;
}

// Runs the ROP over the rectangle; source(i, j, &value) gives the source value for the offset
// from the rectangle's corner (false: that pixel stays).
template <typename Source>
void raster(DeviceContext& dc, const RECT& to, DWORD rop, GdiBrush* brush, Source source) {
  Surface* s = surfaceOf(dc);
  if (!s) return;
  unsigned index = (rop >> 16) & 0xFF;
  Pattern pattern(dc, s->bpp, brush);
  if (usesPattern(index) && !pattern.valid()) return;
  RECT c = clipped(dc, *s, to);
  std::uint32_t mask = s->mask();
  for (LONG y = c.top; y < c.bottom; ++y)
    for (LONG x = c.left; x < c.right; ++x) {
      std::uint32_t sv = 0;
      if (!source(static_cast<int>(x - to.left), static_cast<int>(y - to.top), &sv)) continue;
      std::uint32_t& d = s->at(x, y);
      d = rop3(index, pattern.at(x, y), sv, d) & mask;
    }
}

GdiBrush* selectedBrush(DeviceContext& dc) {
  return std::dynamic_pointer_cast<GdiBrush>(gdiState().find(dc.brush)).get();
}

constexpr auto kNoSource = [](int, int, std::uint32_t* v) {
  *v = 0;
  return true;
};

// Source offset i of n destination pixels over a source span of m.
int scaled(int i, int n, int m) { return static_cast<int>(static_cast<long long>(i) * m / n); }

class RasterBackend : public GdiBackend {
 public:
  void bitmapCreated(GdiBitmap& bm, const void* bits, const BITMAPINFO* info, UINT usage) override {
    if (!bits) return;
    Surface* s = bitmapSurface(bm);
    if (!s) return;
    if (!info) {
      loadBitmapBits(*s, bm.bitsPerPixel, bits);
      return;
    }
    if (info->bmiHeader.biCompression != BI_RGB) return;
    // Device-dependent pixels are made with the default palette.
    DeviceContext device;
    device.palette = static_cast<HPALETTE>(gdiState().stock(DEFAULT_PALETTE));
    for (int y = 0; y < s->height; ++y)
      for (int x = 0; x < s->width; ++x) {
        COLORREF c = 0;
        if (dibPixel(info, usage, bits, x, y, &c)) s->at(x, y) = valueOfColor(device, s->bpp, c);
      }
  }

  void patBlt(DeviceContext& dc, const RECT& rect, DWORD rop) override {
    raster(dc, rect, rop, selectedBrush(dc), kNoSource);
  }

  void bitBlt(DeviceContext& dest, const RECT& to, DeviceContext* source, const RECT& from, DWORD rop) override {
    if (!source) return raster(dest, to, rop, selectedBrush(dest), kNoSource);
    Surface* ss = surfaceOf(*source);
    Surface* ds = surfaceOf(dest);
    if (!ss || !ds) return;
    int wd = to.right - to.left, hd = to.bottom - to.top, ws = from.right - from.left, hs = from.bottom - from.top;
    if (wd <= 0 || hd <= 0 || ws <= 0 || hs <= 0) return;
    // A blit onto its own surface reads what was there before.
    Surface copy;
    const Surface* read = ss;
    if (ss == ds) copy = *ss, read = &copy;
    int dstBpp = ds->bpp;
    raster(dest, to, rop, selectedBrush(dest), [&](int i, int j, std::uint32_t* v) {
      int x = from.left + scaled(i, wd, ws), y = from.top + scaled(j, hd, hs);
      if (!read->inside(x, y)) return false;
      *v = convertPixel(*source, read->bpp, read->at(x, y), dest, dstBpp);
      return true;
    });
  }

  void stretchDIBits(DeviceContext& dc, const RECT& to, const RECT& from, const void* bits, const BITMAPINFO* info,
                     UINT usage, DWORD rop) override {
    if (info->bmiHeader.biCompression != BI_RGB) return;
    Surface* ds = surfaceOf(dc);
    if (!ds) return;
    int wd = to.right - to.left, hd = to.bottom - to.top, ws = from.right - from.left, hs = from.bottom - from.top;
    if (wd <= 0 || hd <= 0 || ws <= 0 || hs <= 0) return;
    int height = std::abs(info->bmiHeader.biHeight);
    // The source rectangle of a bottom-up DIB counts from its bottom row.
    int top = info->bmiHeader.biHeight < 0 ? from.top : height - from.top - hs;
    int bpp = ds->bpp;
    raster(dc, to, rop, selectedBrush(dc), [&](int i, int j, std::uint32_t* v) {
      COLORREF c = 0;
      if (!dibPixel(info, usage, bits, from.left + scaled(i, wd, ws), top + scaled(j, hd, hs), &c)) return false;
      *v = valueOfColor(dc, bpp, c);
      return true;
    });
  }

  void fillRect(DeviceContext& dc, const RECT& rect, GdiBrush& brush) override {
    raster(dc, rect, PATCOPY, &brush, kNoSource);
  }

  void frameRect(DeviceContext& dc, const RECT& r, GdiBrush& brush) override {
    if (r.right <= r.left || r.bottom <= r.top) return;
    for (RECT edge : {RECT{r.left, r.top, r.right, r.top + 1}, RECT{r.left, r.bottom - 1, r.right, r.bottom},
                      RECT{r.left, r.top, r.left + 1, r.bottom}, RECT{r.right - 1, r.top, r.right, r.bottom}})
      raster(dc, edge, PATCOPY, &brush, kNoSource);
  }

  // Opaque text fills its cells (or the ETO_OPAQUE rectangle) with the background colour;
  // each character that is not blank is a block of the text colour inside its cell.
  void textOut(DeviceContext& dc, int x, int y, UINT options, const RECT* rect, std::string_view text) override {
    Surface* s = surfaceOf(dc);
    if (!s) return;
    auto m = fontMetrics(dc.font);
    bool savedClip = dc.hasClip;
    RECT savedRect = dc.clip;
    if ((options & ETO_CLIPPED) && rect) {
      RECT c = *rect;
      if (dc.hasClip)
        c = RECT{std::max(c.left, dc.clip.left), std::max(c.top, dc.clip.top), std::min(c.right, dc.clip.right),
                 std::min(c.bottom, dc.clip.bottom)};
      dc.hasClip = true;
      dc.clip = c;
    }
    GdiBrush background;
    background.log = LOGBRUSH{BS_SOLID, dc.bkColor, 0};
    GdiBrush ink;
    ink.log = LOGBRUSH{BS_SOLID, dc.textColor, 0};
    int width = lineWidth(m, text, false);
    if ((options & ETO_OPAQUE) && rect)
      raster(dc, *rect, PATCOPY, &background, kNoSource);
    else if (dc.bkMode == OPAQUE)
      raster(dc, RECT{x, y, x + width, y + m.height}, PATCOPY, &background, kNoSource);
    int cx = x;
    for (char ch : text) {
      int w = lineWidth(m, std::string_view(&ch, 1), false);
      if (ch != ' ' && w > 2)
        raster(dc, RECT{cx + 1, y + m.height / 4, cx + w - 1, y + m.height * 3 / 4}, PATCOPY, &ink, kNoSource);
      cx += w;
    }
    dc.hasClip = savedClip;
    dc.clip = savedRect;
  }
};

}  // namespace

GdiBackend& rasterGdiBackend() {
  static RasterBackend backend;
  return backend;
}

}  // namespace win::detail
