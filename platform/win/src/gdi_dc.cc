// Device contexts: window, paint, screen and memory DCs, their state (colours,
// modes, mapping, clip), the device's capabilities and the system colours.
#include <algorithm>

#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/window.h"
#include "window_state.h"

namespace win {

namespace detail {

namespace {

// The standard colours of the system colour indexes 0-24.
constexpr COLORREF kSysColors[] = {
    RGB(192, 192, 192), RGB(0, 128, 128),   RGB(0, 0, 128),     RGB(128, 128, 128), RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 128),     RGB(255, 255, 255),
    RGB(192, 192, 192), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(192, 192, 192),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(192, 192, 192), RGB(0, 0, 0),       RGB(255, 255, 225)};

void select(GdiState& state, HGDIOBJ object) {
  if (auto o = state.find(object)) ++o->selections;
}

void deselect(GdiState& state, HGDIOBJ object) {
  if (auto o = state.find(object)) --o->selections;
}

HDC makeDc(DcKind kind, HWND hwnd) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto dc = std::make_shared<DeviceContext>();
  dc->dcKind = kind;
  dc->hwnd = hwnd;
  dc->pen = static_cast<HPEN>(state.stock(BLACK_PEN));
  dc->brush = static_cast<HBRUSH>(state.stock(WHITE_BRUSH));
  dc->font = static_cast<HFONT>(state.stock(SYSTEM_FONT));
  dc->palette = static_cast<HPALETTE>(state.stock(DEFAULT_PALETTE));
  if (kind == DcKind::Memory) dc->bitmap = state.defaultBitmap();
  dc->backend = &defaultGdiBackend();
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(dc->pen), static_cast<HGDIOBJ>(dc->brush), static_cast<HGDIOBJ>(dc->font),
                    static_cast<HGDIOBJ>(dc->palette), static_cast<HGDIOBJ>(dc->bitmap)})
    select(state, o);
  return static_cast<HDC>(state.add(dc));
}

bool dropDc(HDC hdc, bool memory) {
  auto& state = gdiState();
  std::lock_guard lock(state.mutex);
  auto dc = std::dynamic_pointer_cast<DeviceContext>(state.find(hdc));
  if (!dc || (dc->dcKind == DcKind::Memory) != memory) {
    SetLastError(ERROR_DC_NOT_FOUND);
    return false;
  }
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(dc->pen), static_cast<HGDIOBJ>(dc->brush), static_cast<HGDIOBJ>(dc->font),
                    static_cast<HGDIOBJ>(dc->palette), static_cast<HGDIOBJ>(dc->bitmap)})
    deselect(state, o);
  return state.remove(hdc);
}

std::string brushText(HBRUSH handle) {
  auto b = std::dynamic_pointer_cast<GdiBrush>(gdiState().find(handle));
  if (!b) return "none";
  if (b->log.lbStyle == BS_NULL) return "null";
  if (b->log.lbStyle == BS_PATTERN) return "pattern:" + std::to_string(hv(b->pattern));
  return colorText(b->log.lbColor);
}

}  // namespace

GdiBackend& defaultGdiBackend() { return rasterGdiBackend(); }

HDC makeWindowDc(HWND hwnd, DcKind kind) { return makeDc(hwnd ? kind : DcKind::Screen, hwnd); }

bool releaseDc(HDC hdc) { return dropDc(hdc, false); }

void traceGdi(std::string_view call, const void* hdc, const JsonObject& fields) {
  JsonObject f;
  f.add("call", call);
  if (hdc) f.add("hdc", hv(hdc));
  trace("gdi", f.append(fields));
}

void addDrawingState(DeviceContext& dc, JsonObject& f, bool text, bool brush) {
  if (dc.hasClip) f.add("clip", rectJson(dc.clip));
  if (text)
    f.add("textcolor", colorText(dc.textColor))
        .add("bkcolor", colorText(dc.bkColor))
        .add("bkmode", dc.bkMode == TRANSPARENT ? "transparent" : "opaque");
  if (brush) f.add("brush", brushText(dc.brush));
}

}  // namespace detail

using detail::DeviceContext;
using detail::gdiObject;

HDC GetDC(HWND hwnd) {
  if (hwnd && !windowOf(hwnd)) return nullptr;
  HDC hdc = detail::makeWindowDc(hwnd, detail::DcKind::Window);
  detail::traceGdi("GetDC", hdc, JsonObject().add("hwnd", detail::hv(hwnd)));
  return hdc;
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  bool ok = detail::releaseDc(hdc);
  detail::traceGdi("ReleaseDC", hdc, JsonObject().add("hwnd", detail::hv(hwnd)).add("ok", ok));
  return ok ? 1 : 0;
}

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !gdiObject<DeviceContext>(hdc)) return nullptr;
  HDC memory = detail::makeDc(detail::DcKind::Memory, nullptr);
  detail::traceGdi("CreateCompatibleDC", memory, JsonObject().add("from", detail::hv(hdc)));
  return memory;
}

BOOL DeleteDC(HDC hdc) {
  bool ok = detail::dropDc(hdc, true);
  detail::traceGdi("DeleteDC", hdc, JsonObject().add("ok", ok));
  return ok ? TRUE : FALSE;
}

namespace {

COLORREF setColor(HDC hdc, const char* call, COLORREF DeviceContext::*member, COLORREF color) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc) return CLR_INVALID;
  COLORREF old = (*dc).*member;
  (*dc).*member = color;
  detail::traceGdi(call, hdc, JsonObject().add("color", detail::colorText(color)));
  return old;
}

COLORREF getColor(HDC hdc, COLORREF DeviceContext::*member) {
  auto dc = gdiObject<DeviceContext>(hdc);
  return dc ? (*dc).*member : CLR_INVALID;
}

}  // namespace

COLORREF SetTextColor(HDC hdc, COLORREF color) {
  return setColor(hdc, "SetTextColor", &DeviceContext::textColor, color);
}

COLORREF GetTextColor(HDC hdc) { return getColor(hdc, &DeviceContext::textColor); }

COLORREF SetBkColor(HDC hdc, COLORREF color) { return setColor(hdc, "SetBkColor", &DeviceContext::bkColor, color); }

COLORREF GetBkColor(HDC hdc) { return getColor(hdc, &DeviceContext::bkColor); }

int SetBkMode(HDC hdc, int mode) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  int old = dc->bkMode;
  dc->bkMode = mode;
  detail::traceGdi("SetBkMode", hdc, JsonObject().add("mode", mode));
  return old;
}

int SetStretchBltMode(HDC hdc, int mode) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
  int old = dc->stretchMode;
  dc->stretchMode = mode;
  detail::traceGdi("SetStretchBltMode", hdc, JsonObject().add("mode", mode));
  return old;
}

int SetMapMode(HDC hdc, int mode) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || mode < MM_TEXT || mode > MM_ANISOTROPIC) return 0;
  int old = dc->mapMode;
  dc->mapMode = mode;
  detail::traceGdi("SetMapMode", hdc, JsonObject().add("mode", mode));
  return old;
}

namespace {

template <typename T>
BOOL setPair(HDC hdc, const char* call, T DeviceContext::*member, int x, int y, T* previous) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc) return FALSE;
  if (previous) *previous = (*dc).*member;
  (*dc).*member = T{x, y};
  detail::traceGdi(call, hdc, JsonObject().add("x", x).add("y", y));
  return TRUE;
}

}  // namespace

BOOL SetViewportExtEx(HDC hdc, int x, int y, SIZE* previous) {
  return setPair(hdc, "SetViewportExtEx", &DeviceContext::viewportExt, x, y, previous);
}

BOOL SetWindowExtEx(HDC hdc, int x, int y, SIZE* previous) {
  return setPair(hdc, "SetWindowExtEx", &DeviceContext::windowExt, x, y, previous);
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, POINT* previous) {
  return setPair(hdc, "SetViewportOrgEx", &DeviceContext::viewportOrg, x, y, previous);
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, POINT* previous) {
  return setPair(hdc, "SetWindowOrgEx", &DeviceContext::windowOrg, x, y, previous);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc) return 0;
  RECT r{left, top, right, bottom};
  if (dc->hasClip)
    r = RECT{std::max(r.left, dc->clip.left), std::max(r.top, dc->clip.top), std::min(r.right, dc->clip.right),
             std::min(r.bottom, dc->clip.bottom)};
  dc->hasClip = true;
  dc->clip = r;
  detail::traceGdi("IntersectClipRect", hdc,
                   JsonObject().add("rect", detail::rectJson(RECT{left, top, right, bottom})));
  return r.right > r.left && r.bottom > r.top ? 2 : 1;
}

int GetDeviceCaps(HDC hdc, int index) {
  if (!gdiObject<DeviceContext>(hdc)) return 0;
  const auto& d = machine().description();
  int bpp = d.system.bitsPerPixel;
  int dpi = d.ui.logPixelsY;
  switch (index) {
    case DRIVERVERSION:
      return 0x400;
    case TECHNOLOGY:
      return DT_RASDISPLAY;
    case HORZSIZE:
      return d.system.screenWidth * 254 / (dpi * 10);
    case VERTSIZE:
      return d.system.screenHeight * 254 / (dpi * 10);
    case HORZRES:
      return d.system.screenWidth;
    case VERTRES:
      return d.system.screenHeight;
    case BITSPIXEL:
      return bpp;
    case PLANES:
      return 1;
    case NUMCOLORS:
      return bpp <= 8 ? 1 << bpp : -1;
    case RASTERCAPS:
      return RC_BITBLT | RC_STRETCHBLT | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHDIB | (bpp == 8 ? RC_PALETTE : 0);
    case LOGPIXELSX:
    case LOGPIXELSY:
      return dpi;
    case SIZEPALETTE:
      return bpp == 8 ? 256 : 0;
    case NUMRESERVED:
      return bpp == 8 ? 20 : 0;
    case COLORRES:
      return bpp == 8 ? 18 : 24;
    default:
      return 0;
  }
}

DWORD GetSysColor(int index) {
  if (index < 0 || index >= static_cast<int>(std::size(detail::kSysColors))) return 0;
  return detail::kSysColors[index];
}

}  // namespace win
