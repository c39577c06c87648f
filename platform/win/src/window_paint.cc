// Invalidation and painting: each window keeps one update rectangle; the pump
// turns it into WM_PAINT, BeginPaint hands it to the procedure with a paint DC
// (WM_ERASEBKGND first when asked) and validates it.
#include <algorithm>

#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/gdi.h"
#include "window_internal.h"

namespace win {

namespace {

RECT unionOf(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

RECT clipToClient(const Window& w, RECT r) {
  RECT c = detail::clientRectOf(w);
  r.left = std::max(r.left, c.left);
  r.top = std::max(r.top, c.top);
  r.right = std::min(r.right, c.right);
  r.bottom = std::min(r.bottom, c.bottom);
  return r;
}

void invalidate(Window& w, const RECT* rect, bool erase) {
  std::lock_guard lock(windowState().mutex);
  RECT r = rect ? clipToClient(w, *rect) : detail::clientRectOf(w);
  if (r.right <= r.left || r.bottom <= r.top) return;
  w.update = w.hasUpdate ? unionOf(w.update, r) : r;
  w.hasUpdate = true;
  w.erase = w.erase || erase;
}

void traceInvalidate(HWND hwnd, const RECT* rect, bool erase) {
  JsonObject f;
  f.add("hwnd", detail::hv(hwnd));
  if (rect) f.add("rect", detail::rectJson(*rect));
  detail::trace("invalidate", f.add("erase", erase));
}

}  // namespace

BOOL InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  traceInvalidate(hwnd, rect, erase != FALSE);
  if (!hwnd) {
    for (auto& w : windowState().all())
      if (!w->parent && !w->foreign) invalidate(*w, nullptr, erase != FALSE);
    return TRUE;
  }
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  invalidate(*w, rect, erase != FALSE);
  return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT* rect) {
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  std::lock_guard lock(windowState().mutex);
  if (!rect) {
    detail::validateSilently(hwnd);
    return TRUE;
  }
  // A rectangle covering the update rectangle validates it; a smaller one leaves it.
  RECT u = w->update;
  if (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right && rect->bottom >= u.bottom)
    detail::validateSilently(hwnd);
  return TRUE;
}

BOOL GetUpdateRect(HWND hwnd, RECT* rect, BOOL) {
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  std::lock_guard lock(windowState().mutex);
  if (rect) *rect = w->hasUpdate ? w->update : RECT{};
  return w->hasUpdate ? TRUE : FALSE;
}

BOOL UpdateWindow(HWND hwnd) {
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  if (w->hasUpdate && detail::isVisible(hwnd)) {
    SendMessage(hwnd, WM_PAINT, 0, 0);
    detail::validateSilently(hwnd);
  }
  return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* paint) {
  auto w = windowOf(hwnd);
  if (!w || !paint) return nullptr;
  RECT area;
  bool erase;
  {
    std::lock_guard lock(windowState().mutex);
    area = w->hasUpdate ? w->update : RECT{};
    erase = w->hasUpdate && w->erase;
  }
  detail::validateSilently(hwnd);
  HDC hdc = detail::makeWindowDc(hwnd, detail::DcKind::Paint);
  *paint = PAINTSTRUCT{};
  paint->hdc = hdc;
  paint->rcPaint = area;
  detail::traceGdi("BeginPaint", hdc,
                   JsonObject().add("hwnd", detail::hv(hwnd)).add("rect", detail::rectJson(area)).add("erase", erase));
  if (erase) paint->fErase = SendMessage(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  if (!paint || !windowOf(hwnd)) return FALSE;
  detail::traceGdi("EndPaint", paint->hdc, JsonObject().add("hwnd", detail::hv(hwnd)));
  return detail::releaseDc(paint->hdc) ? TRUE : FALSE;
}

}  // namespace win
