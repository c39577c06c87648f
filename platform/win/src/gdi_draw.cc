// Drawing calls: blits, DIB stretching, rectangles, icons and metafiles. Each
// is traced with its rectangles, ROP, clip and colours, then handed to the DC's
// back end.
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/error.h"

namespace win {

namespace {

using detail::DeviceContext;
using detail::gdiObject;

// A ternary ROP reads the pattern (brush) or the source when its result depends on it.
bool ropUsesPattern(DWORD rop) {
  DWORD index = (rop >> 16) & 0xFF;
  return ((index >> 4) & 0x0F) != (index & 0x0F);
}

bool ropUsesSource(DWORD rop) {
  DWORD index = (rop >> 16) & 0xFF;
  return ((index >> 2) & 0x33) != (index & 0x33);
}

RECT rectOf(int x, int y, int width, int height) { return RECT{x, y, x + width, y + height}; }

std::string hashText(const BYTE* data, std::size_t n) {
  std::uint32_t h = 2166136261u;
  for (std::size_t i = 0; i < n; ++i) h = (h ^ data[i]) * 16777619u;
  return detail::hex32(h);
}

// The DIB's header and colour table for the transcript; false for a header that is no DIB.
bool describeDib(const BITMAPINFO* info, UINT usage, JsonObject& f) {
  if (!info) return false;
  const auto& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER) || h.biSize > 124 || h.biWidth < 0 || h.biBitCount == 0 || h.biBitCount > 32)
    return false;
  DWORD colors = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? 1u << h.biBitCount : 0u);
  colors = std::min<DWORD>(colors, 256);
  f.add("dib",
        JsonObject().add("width", h.biWidth).add("height", h.biHeight).add("bpp", static_cast<int>(h.biBitCount)));
  const BYTE* table = reinterpret_cast<const BYTE*>(info) + h.biSize;
  std::size_t entry = usage == DIB_PAL_COLORS ? sizeof(WORD) : sizeof(RGBQUAD);
  if (colors > 16) {
    f.add("colors", static_cast<std::uint64_t>(colors)).add("colorhash", hashText(table, colors * entry));
    return true;
  }
  JsonArray list;
  for (DWORD i = 0; i < colors; ++i) {
    if (usage == DIB_PAL_COLORS) {
      WORD index;
      std::memcpy(&index, table + i * entry, sizeof index);
      list.add(static_cast<int>(index));
    } else {
      RGBQUAD q;
      std::memcpy(&q, table + i * entry, sizeof q);
      list.add(detail::colorText(RGB(q.rgbRed, q.rgbGreen, q.rgbBlue)));
    }
  }
  f.add("colors", list);
  return true;
}

std::shared_ptr<DeviceContext> sourceFor(HDC source, DWORD rop, bool* ok) {
  *ok = true;
  if (!ropUsesSource(rop)) return nullptr;
  auto dc = gdiObject<DeviceContext>(source);
  *ok = dc != nullptr;
  return dc;
}

BOOL blit(const char* call, HDC dest, const RECT& to, HDC source, const RECT& from, DWORD rop, bool stretch) {
  auto dc = gdiObject<DeviceContext>(dest);
  bool ok = false;
  auto src = sourceFor(source, rop, &ok);
  if (!dc || !ok) return FALSE;
  JsonObject f;
  f.add("rect", detail::rectJson(to));
  if (source) f.add("source", detail::hv(source));
  if (stretch)
    f.add("from", detail::rectJson(from));
  else
    f.add("from", JsonArray().add(from.left).add(from.top));
  f.add("rop", detail::hex32(rop));
  detail::addDrawingState(*dc, f, true, ropUsesPattern(rop));
  detail::traceGdi(call, dest, f);
  dc->backend->bitBlt(*dc, to, src.get(), from, rop);
  return TRUE;
}

BOOL rectWithBrush(const char* call, HDC hdc, const RECT* rect, HBRUSH brush, bool frame) {
  auto dc = gdiObject<DeviceContext>(hdc);
  auto b = gdiObject<detail::GdiBrush>(brush);
  if (!dc || !b || !rect) return FALSE;
  JsonObject f;
  f.add("rect", detail::rectJson(*rect));
  f.add("brush", b->log.lbStyle == BS_PATTERN ? "pattern:" + std::to_string(detail::hv(b->pattern))
                 : b->log.lbStyle == BS_NULL  ? std::string("null")
                                              : detail::colorText(b->log.lbColor));
  detail::addDrawingState(*dc, f, false, false);
  detail::traceGdi(call, hdc, f);
  if (frame)
    dc->backend->frameRect(*dc, *rect, *b);
  else
    dc->backend->fillRect(*dc, *rect, *b);
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSource, int ySource, DWORD rop) {
  return blit("BitBlt", dest, rectOf(x, y, width, height), source, rectOf(xSource, ySource, width, height), rop, false);
}

BOOL StretchBlt(HDC dest, int x, int y, int width, int height, HDC source, int xSource, int ySource, int widthSource,
                int heightSource, DWORD rop) {
  return blit("StretchBlt", dest, rectOf(x, y, width, height), source,
              rectOf(xSource, ySource, widthSource, heightSource), rop, true);
}

int StretchDIBits(HDC hdc, int x, int y, int width, int height, int xSource, int ySource, int widthSource,
                  int heightSource, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc) return 0;
  JsonObject f;
  RECT to = rectOf(x, y, width, height), from = rectOf(xSource, ySource, widthSource, heightSource);
  f.add("rect", detail::rectJson(to)).add("from", detail::rectJson(from)).add("rop", detail::hex32(rop));
  if (!bits || !describeDib(info, usage, f)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  detail::addDrawingState(*dc, f, false, ropUsesPattern(rop));
  f.add("stretchmode", dc->stretchMode);
  detail::traceGdi("StretchDIBits", hdc, f);
  dc->backend->stretchDIBits(*dc, to, from, bits, info, usage, rop);
  return std::abs(heightSource);
}

BOOL PatBlt(HDC hdc, int x, int y, int width, int height, DWORD rop) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc) return FALSE;
  RECT r = rectOf(x, y, width, height);
  JsonObject f;
  f.add("rect", detail::rectJson(r)).add("rop", detail::hex32(rop));
  detail::addDrawingState(*dc, f, false, true);
  detail::traceGdi("PatBlt", hdc, f);
  dc->backend->patBlt(*dc, r, rop);
  return TRUE;
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) { return rectWithBrush("FillRect", hdc, rect, brush, false); }

int FrameRect(HDC hdc, const RECT* rect, HBRUSH brush) { return rectWithBrush("FrameRect", hdc, rect, brush, true); }

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || !rect) return FALSE;
  JsonObject f;
  f.add("rect", detail::rectJson(*rect));
  detail::addDrawingState(*dc, f, false, false);
  detail::traceGdi("DrawFocusRect", hdc, f);
  return TRUE;
}

BOOL DrawIcon(HDC hdc, int x, int y, HICON icon) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || !icon) return FALSE;
  JsonObject f;
  f.add("x", x).add("y", y).add("icon", detail::hv(icon));
  detail::addDrawingState(*dc, f, false, false);
  detail::traceGdi("DrawIcon", hdc, f);
  dc->backend->drawIcon(*dc, x, y, icon);
  return TRUE;
}

BOOL PlayMetaFile(HDC hdc, HMETAFILE metafile) {
  auto dc = gdiObject<DeviceContext>(hdc);
  auto m = gdiObject<detail::GdiMetaFile>(metafile);
  if (!dc || !m) return FALSE;
  JsonObject f;
  f.add("metafile", detail::hv(metafile)).add("bytes", static_cast<std::uint64_t>(m->bits.size()));
  f.add("mapmode", dc->mapMode)
      .add("viewportext", JsonArray().add(dc->viewportExt.cx).add(dc->viewportExt.cy))
      .add("viewportorg", JsonArray().add(dc->viewportOrg.x).add(dc->viewportOrg.y));
  detail::addDrawingState(*dc, f, false, false);
  detail::traceGdi("PlayMetaFile", hdc, f);
  dc->backend->playMetaFile(*dc, m->bits);
  return TRUE;
}

}  // namespace win
