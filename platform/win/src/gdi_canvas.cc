// The canvas's surfaces (bitmaps, window client areas, the screen) and the
// colour conversions between DCs and pixel values; GetPixel, SetPixel and the
// pixel dump tests read.
#include "gdi_canvas.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "ui_trace.h"
#include "win/canvas.h"
#include "win/ui_constants.h"
#include "win/window.h"

namespace win::detail {

namespace {

std::shared_ptr<Surface> makeSurface(int width, int height, int bpp) {
  if (width <= 0 || height <= 0 || static_cast<long long>(width) * height > kMaxCanvasPixels) return nullptr;
  auto s = std::make_shared<Surface>();
  s->width = width;
  s->height = height;
  s->bpp = bpp;
  s->px.assign(static_cast<std::size_t>(width) * height, 0);
  return s;
}

// Window client areas and the screen, kept for the process's machine.
class CanvasState : public MachineState {
 public:
  explicit CanvasState(Machine&) {}
  std::mutex mutex;
  std::map<HWND, std::shared_ptr<Surface>> windows;
  std::shared_ptr<Surface> screen;
};

CanvasState& canvasState() { return machine().state<CanvasState>(); }

// Keeps a surface at the given size, carrying over what fits.
Surface* sized(std::shared_ptr<Surface>& slot, int width, int height) {
  if (slot && slot->width == width && slot->height == height) return slot.get();
  auto fresh = makeSurface(width, height, 32);
  if (fresh && slot)
    for (int y = 0; y < std::min(height, slot->height); ++y)
      for (int x = 0; x < std::min(width, slot->width); ++x) fresh->at(x, y) = slot->at(x, y);
  slot = fresh;
  return slot.get();
}

Surface* screenSurface() {
  auto& c = canvasState();
  std::lock_guard lock(c.mutex);
  const auto& d = machine().description();
  return sized(c.screen, d.system.screenWidth, d.system.screenHeight);
}

Surface* windowSurface(HWND hwnd) {
  RECT r{};
  if (!GetClientRect(hwnd, &r)) return nullptr;
  auto& c = canvasState();
  std::lock_guard lock(c.mutex);
  return sized(c.windows[hwnd], r.right - r.left, r.bottom - r.top);
}

int brightness(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c); }

}  // namespace

int surfaceDepth(int bitsPerPixel) { return bitsPerPixel == 1 ? 1 : bitsPerPixel == 8 ? 8 : 32; }

Surface* bitmapSurface(GdiBitmap& bitmap) {
  if (!bitmap.pixels) bitmap.pixels = makeSurface(bitmap.width, bitmap.height, surfaceDepth(bitmap.bitsPerPixel));
  return bitmap.pixels.get();
}

Surface* surfaceOf(DeviceContext& dc) {
  if (dc.dcKind == DcKind::Memory) {
    auto bm = std::dynamic_pointer_cast<GdiBitmap>(gdiState().find(dc.bitmap));
    return bm ? bitmapSurface(*bm) : nullptr;
  }
  if (dc.hwnd && dc.dcKind != DcKind::Screen) return windowSurface(dc.hwnd);
  return screenSurface();
}

const std::vector<PALETTEENTRY>& defaultPaletteEntries() {
  auto p = std::dynamic_pointer_cast<GdiPalette>(gdiState().find(gdiState().stock(DEFAULT_PALETTE)));
  static const std::vector<PALETTEENTRY> none;
  return p ? p->entries : none;
}

const std::vector<PALETTEENTRY>& paletteOf(const DeviceContext& dc) {
  auto p = std::dynamic_pointer_cast<GdiPalette>(gdiState().find(dc.palette));
  return p ? p->entries : defaultPaletteEntries();
}

namespace {

// The default palette's 20 colours stand at the ends of the device's 256 entries (0-9 and
// 246-255), as on a palette display, so black is 0 and white 255 and mask ROPs work on indexes.
constexpr std::uint32_t kHighStatic = 246;
constexpr std::uint32_t kLowStaticCount = 10;

bool isDefault(const std::vector<PALETTEENTRY>& palette) { return &palette == &defaultPaletteEntries(); }

std::uint32_t deviceIndex(const std::vector<PALETTEENTRY>& palette, std::uint32_t entry) {
  return isDefault(palette) && entry >= kLowStaticCount ? entry - kLowStaticCount + kHighStatic : entry;
}

// The palette entry of a device index; palette.size() for none.
std::uint32_t entryOf(const std::vector<PALETTEENTRY>& palette, std::uint32_t value) {
  if (!isDefault(palette)) return value < palette.size() ? value : static_cast<std::uint32_t>(palette.size());
  if (value < kLowStaticCount) return value;
  if (value >= kHighStatic) return value - kHighStatic + kLowStaticCount;
  return static_cast<std::uint32_t>(palette.size());
}

}  // namespace

COLORREF colorOfValue(const std::vector<PALETTEENTRY>& palette, int bpp, std::uint32_t value) {
  if (bpp == 1) return value ? RGB(255, 255, 255) : RGB(0, 0, 0);
  if (bpp == 8) {
    std::uint32_t entry = entryOf(palette, value);
    if (entry >= palette.size()) return 0;
    const auto& e = palette[entry];
    return RGB(e.peRed, e.peGreen, e.peBlue);
  }
  return value & 0xFFFFFF;
}

COLORREF resolveColor(const DeviceContext& dc, COLORREF color) {
  if (color & 0x01000000) {
    const auto& palette = paletteOf(dc);
    return colorOfValue(palette, 8, deviceIndex(palette, color & 0xFFFF));
  }
  return color & 0xFFFFFF;
}

std::uint32_t valueOfColor(const DeviceContext& dc, int bpp, COLORREF color) {
  if (bpp == 8 && (color & 0x01000000)) return deviceIndex(paletteOf(dc), color & 0xFF);
  COLORREF c = resolveColor(dc, color);
  if (bpp == 1) return brightness(c) >= 384 ? 1 : 0;
  if (bpp != 8) return c;
  const auto& palette = paletteOf(dc);
  std::uint32_t best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < palette.size(); ++i) {
    long dr = palette[i].peRed - GetRValue(c), dg = palette[i].peGreen - GetGValue(c),
         db = palette[i].peBlue - GetBValue(c);
    long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) bestDistance = distance, best = static_cast<std::uint32_t>(i);
  }
  return deviceIndex(palette, best);
}

std::uint32_t convertPixel(const DeviceContext& src, int srcBpp, std::uint32_t value, const DeviceContext& dst,
                           int dstBpp) {
  if (srcBpp == dstBpp) return value;
  if (srcBpp == 1) return valueOfColor(dst, dstBpp, value ? dst.bkColor : dst.textColor);
  COLORREF c = colorOfValue(paletteOf(src), srcBpp, value);
  if (dstBpp == 1) return c == resolveColor(src, src.bkColor) ? 1 : 0;
  return valueOfColor(dst, dstBpp, c);
}

void loadBitmapBits(Surface& s, int bitsPerPixel, const void* bits) {
  const auto* b = static_cast<const BYTE*>(bits);
  std::size_t stride = ((static_cast<std::size_t>(s.width) * bitsPerPixel + 15) / 16) * 2;
  for (int y = 0; y < s.height; ++y) {
    const BYTE* row = b + stride * y;
    for (int x = 0; x < s.width; ++x) {
      std::uint32_t v = 0;
      switch (bitsPerPixel) {
        case 1:
          v = (row[x / 8] >> (7 - x % 8)) & 1;
          break;
        case 8:
          v = row[x];
          break;
        case 24:
          v = RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
          break;
        case 32:
          v = RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
          break;
        default:
          break;
      }
      s.at(x, y) = v;
    }
  }
}

bool dibPixel(const BITMAPINFO* info, UINT usage, const void* bits, int x, int y, COLORREF* out) {
  const auto& h = info->bmiHeader;
  int width = h.biWidth, height = h.biHeight < 0 ? -h.biHeight : h.biHeight;
  if (x < 0 || y < 0 || x >= width || y >= height) return false;
  int row = h.biHeight < 0 ? y : height - 1 - y;
  std::size_t stride = ((static_cast<std::size_t>(width) * h.biBitCount + 31) / 32) * 4;
  const BYTE* p = static_cast<const BYTE*>(bits) + stride * row;
  std::uint32_t index = 0;
  switch (h.biBitCount) {
    case 1:
      index = (p[x / 8] >> (7 - x % 8)) & 1;
      break;
    case 4:
      index = (p[x / 2] >> (x % 2 ? 0 : 4)) & 0x0F;
      break;
    case 8:
      index = p[x];
      break;
    case 16: {
      unsigned v = p[2 * x] | (p[2 * x + 1] << 8);
      *out = RGB(static_cast<BYTE>(((v >> 10) & 31) << 3), static_cast<BYTE>(((v >> 5) & 31) << 3),
                 static_cast<BYTE>((v & 31) << 3));
      return true;
    }
    case 24:
      *out = RGB(p[3 * x + 2], p[3 * x + 1], p[3 * x]);
      return true;
    case 32:
      *out = RGB(p[4 * x + 2], p[4 * x + 1], p[4 * x]);
      return true;
    default:
      return false;
  }
  DWORD colors = std::min<DWORD>(h.biClrUsed ? h.biClrUsed : 1u << h.biBitCount, 256);
  if (index >= colors) {
    *out = 0;
    return true;
  }
  const BYTE* table = reinterpret_cast<const BYTE*>(info) + h.biSize;
  if (usage == DIB_PAL_COLORS) {
    WORD i;
    std::memcpy(&i, table + 2 * index, sizeof i);
    *out = PALETTEINDEX(i);
  } else {
    RGBQUAD q;
    std::memcpy(&q, table + 4 * index, sizeof q);
    *out = RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return true;
}

}  // namespace win::detail

namespace win {

using detail::DeviceContext;

COLORREF GetPixel(HDC hdc, int x, int y) {
  auto dc = std::dynamic_pointer_cast<DeviceContext>(detail::gdiState().find(hdc));
  detail::Surface* s = dc ? detail::surfaceOf(*dc) : nullptr;
  if (!s || !s->inside(x, y)) return CLR_INVALID;
  return detail::colorOfValue(detail::paletteOf(*dc), s->bpp, s->at(x, y));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  auto dc = std::dynamic_pointer_cast<DeviceContext>(detail::gdiState().find(hdc));
  if (!dc) return CLR_INVALID;
  detail::traceGdi("SetPixel", hdc, JsonObject().add("x", x).add("y", y).add("color", detail::colorText(color)));
  detail::Surface* s = detail::surfaceOf(*dc);
  if (!s || !s->inside(x, y)) return CLR_INVALID;
  if (dc->hasClip && (x < dc->clip.left || y < dc->clip.top || x >= dc->clip.right || y >= dc->clip.bottom))
    return CLR_INVALID;
  s->at(x, y) = detail::valueOfColor(*dc, s->bpp, color);
  return detail::colorOfValue(detail::paletteOf(*dc), s->bpp, s->at(x, y));
}

std::vector<COLORREF> canvasPixels(HDC hdc, const RECT& rect) {
  std::vector<COLORREF> out;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) out.push_back(GetPixel(hdc, x, y));
  return out;
}

std::string canvasDump(HDC hdc, const RECT& rect, std::initializer_list<std::pair<COLORREF, char>> legend) {
  std::string out;
  for (int y = rect.top; y < rect.bottom; ++y) {
    if (y > rect.top) out.push_back('\n');
    for (int x = rect.left; x < rect.right; ++x) {
      COLORREF c = GetPixel(hdc, x, y);
      char mark = '?';
      for (const auto& [color, ch] : legend)
        if (color == c) mark = ch;
      out.push_back(mark);
    }
  }
  return out;
}

}  // namespace win
