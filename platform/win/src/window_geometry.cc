// Window geometry: frame sizes, window and client rectangles, moves and
// z-order, and the conversions between client and screen coordinates.
#include <algorithm>

#include "ui_trace.h"
#include "win/error.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace detail {

int mulDiv(int a, int b, int c) {
  long long p = static_cast<long long>(a) * b;
  long long half = c / 2;
  return static_cast<int>(p >= 0 ? (p + half) / c : (p - half) / c);
}

Insets frameInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  if (style & WS_THICKFRAME)
    frame = kSizingFrame;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    frame = kDialogFrame;
  else if (style & WS_BORDER)
    frame = kBorder;
  if (exStyle & WS_EX_CLIENTEDGE) frame += kClientEdge;
  Insets in{frame, frame, frame, frame};
  if ((style & WS_CAPTION) == WS_CAPTION) in.top += kCaptionHeight;
  return in;
}

RECT clientRectOf(const Window& w) {
  Insets in = frameInsets(w.style, w.exStyle);
  LONG width = std::max<LONG>(0, w.rect.right - w.rect.left - in.left - in.right);
  LONG height = std::max<LONG>(0, w.rect.bottom - w.rect.top - in.top - in.bottom);
  return RECT{0, 0, width, height};
}

POINT clientOriginOnScreen(const Window& w) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  Insets in = frameInsets(w.style, w.exStyle);
  POINT p{w.rect.left + in.left, w.rect.top + in.top};
  auto parent = state.find(w.parent);
  for (int depth = 0; parent && depth < 256; ++depth) {
    Insets pin = frameInsets(parent->style, parent->exStyle);
    p.x += parent->rect.left + pin.left;
    p.y += parent->rect.top + pin.top;
    parent = state.find(parent->parent);
  }
  return p;
}

RECT screenRectOf(const Window& w) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  POINT base{0, 0};
  if (auto parent = state.find(w.parent)) base = clientOriginOnScreen(*parent);
  return RECT{w.rect.left + base.x, w.rect.top + base.y, w.rect.right + base.x, w.rect.bottom + base.y};
}

void setWindowRect(Window& w, const RECT& rect, bool repaint, bool trace) {
  RECT old;
  {
    std::lock_guard lock(windowState().mutex);
    old = w.rect;
    w.rect = rect;
  }
  bool moved = old.left != rect.left || old.top != rect.top;
  bool sized = old.right - old.left != rect.right - rect.left || old.bottom - old.top != rect.bottom - rect.top;
  if (!moved && !sized) return;
  if (trace) {
    JsonObject f;
    f.add("hwnd", hv(w.hwnd));
    if (w.parent) f.add("id", static_cast<std::uint64_t>(w.id));
    detail::trace("move", f.add("rect", rectJson(screenRectOf(w))));
  }
  auto self = windowState().find(w.hwnd);
  if (moved) callProcedure(self, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(rect.left), static_cast<WORD>(rect.top)));
  if (sized) {
    RECT c = clientRectOf(w);
    callProcedure(self, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(c.right), static_cast<WORD>(c.bottom)));
  }
  if (repaint) invalidateTree(w.hwnd, true);
}

}  // namespace detail

namespace {

POINT originOf(HWND hwnd, bool* ok) {
  *ok = true;
  if (!hwnd || hwnd == GetDesktopWindow()) return POINT{0, 0};
  auto w = windowOf(hwnd);
  if (!w) {
    *ok = false;
    return POINT{0, 0};
  }
  return detail::clientOriginOnScreen(*w);
}

void reorderChild(Window& w, HWND after) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  auto parent = state.find(w.parent);
  if (!parent) return;
  auto& c = parent->children;
  c.erase(std::remove(c.begin(), c.end(), w.hwnd), c.end());
  if (after == HWND_TOP)
    c.insert(c.begin(), w.hwnd);
  else if (after == HWND_BOTTOM)
    c.push_back(w.hwnd);
  else {
    auto it = std::find(c.begin(), c.end(), after);
    c.insert(it == c.end() ? c.end() : it + 1, w.hwnd);
  }
}

void setTopmost(Window& w, bool topmost) {
  if (w.topmost == topmost) return;
  w.topmost = topmost;
  detail::trace("zorder", JsonObject().add("hwnd", detail::hv(w.hwnd)).add("topmost", topmost));
}

}  // namespace

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  auto w = windowOf(hwnd);
  if (!w || !rect) return FALSE;
  *rect = detail::screenRectOf(*w);
  return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  auto w = windowOf(hwnd);
  if (!w || !rect) return FALSE;
  std::lock_guard lock(windowState().mutex);
  *rect = detail::clientRectOf(*w);
  return TRUE;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  auto w = windowOf(hwnd);
  if (!w || w->foreign) return FALSE;
  detail::setWindowRect(*w, RECT{x, y, x + width, y + height}, repaint != FALSE, true);
  return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto w = windowOf(hwnd);
  if (!w || w->foreign) return FALSE;
  RECT r = w->rect;
  if (!(flags & SWP_NOMOVE)) {
    LONG width = r.right - r.left, height = r.bottom - r.top;
    r = RECT{x, y, x + width, y + height};
  }
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  detail::setWindowRect(*w, r, !(flags & SWP_NOREDRAW), true);
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST)
      setTopmost(*w, true);
    else if (insertAfter == HWND_NOTOPMOST)
      setTopmost(*w, false);
    else if (w->parent)
      reorderChild(*w, insertAfter);
  }
  if (flags & SWP_SHOWWINDOW) detail::showWindow(hwnd, SW_SHOWNA, true);
  if (flags & SWP_HIDEWINDOW) detail::showWindow(hwnd, SW_HIDE, true);
  return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* point) {
  auto w = windowOf(hwnd);
  if (!w || !point) return FALSE;
  POINT o = detail::clientOriginOnScreen(*w);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* point) {
  auto w = windowOf(hwnd);
  if (!w || !point) return FALSE;
  POINT o = detail::clientOriginOnScreen(*w);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  bool okFrom = false, okTo = false;
  POINT a = originOf(from, &okFrom), b = originOf(to, &okTo);
  if (!okFrom || !okTo) return 0;
  LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(ERROR_SUCCESS);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

}  // namespace win
