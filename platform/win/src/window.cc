// Window classes, creation and destruction, and the default window procedure.
#include <algorithm>
#include <cstring>
#include <type_traits>

#include "controls.h"
#include "dialog_state.h"
#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/gdi.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

std::string textOrEmpty(LPCSTR text) { return text ? std::string(text) : std::string(); }

// The class of a name or MAKEINTRESOURCE(atom).
std::shared_ptr<const WindowClass> classOf(WindowState& state, LPCSTR name) {
  if (!name) return nullptr;
  if (!IS_INTRESOURCE(name)) return state.findClass(name);
  return state.findClass(static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name)));
}

ATOM registerClass(WindowClass cls) {
  auto& state = windowState();
  registerControlClasses(state);
  if (!cls.proc || cls.name.empty() || cls.classExtra < 0 || cls.windowExtra < 0 || cls.windowExtra > 4096) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (state.findClass(cls.name)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  return state.addClass(std::move(cls));
}

// The owner of a new popup: the top-level ancestor of the window given as parent.
HWND ownerOf(HWND given) { return given ? detail::topLevelOf(given) : nullptr; }

int defaultOr(int value, int fallback) { return value == CW_USEDEFAULT ? fallback : value; }

// The creation as asked (its style with WS_VISIBLE when it was asked for).
void traceCreate(const Window& w, DWORD style) {
  JsonObject f;
  f.add("hwnd", detail::hv(w.hwnd)).add("class", w.cls->name).add("title", w.text).add("style", detail::hex32(style));
  if (w.exStyle) f.add("exstyle", detail::hex32(w.exStyle));
  if (w.parent) f.add("parent", detail::hv(w.parent)).add("id", static_cast<std::uint64_t>(w.id));
  if (w.owner) f.add("owner", detail::hv(w.owner));
  f.add("rect", detail::rectJson(detail::screenRectOf(w)));
  detail::trace("window-create", f);
}

void unlinkFromParent(Window& w) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  if (auto parent = state.find(w.parent)) {
    auto& c = parent->children;
    c.erase(std::remove(c.begin(), c.end(), w.hwnd), c.end());
  }
}

void killWindowTimers(Window& w) {
  auto q = windowState().queue(w.thread);
  if (!q) return;
  std::lock_guard lock(q->mutex);
  auto& t = q->timers;
  t.erase(std::remove_if(t.begin(), t.end(), [&](const TimerEntry& e) { return e.hwnd == w.hwnd; }), t.end());
}

// What goes when the window goes: timers, focus, font, menu, the table entry.
void releaseWindow(const std::shared_ptr<Window>& w) {
  auto& state = windowState();
  killWindowTimers(*w);
  if (auto q = state.queue(w->thread)) {
    if (q->focus == w->hwnd) q->focus = nullptr;
    if (q->active == w->hwnd) q->active = nullptr;
  }
  if (auto* d = dialogOf(*w); d && d->ownsFont && d->font) {
    detail::deleteObjectQuietly(d->font);
    d->font = nullptr;
  }
  if (w->systemMenu) state.removeMenu(w->systemMenu);
  unlinkFromParent(*w);
  if (w->traced) detail::trace("window-destroy", JsonObject().add("hwnd", detail::hv(w->hwnd)));
  state.remove(w->hwnd);
}

void destroyTree(const std::shared_ptr<Window>& w) {
  {
    std::lock_guard lock(windowState().mutex);
    if (w->destroying) return;
    w->destroying = true;
    w->style &= ~WS_VISIBLE;
  }
  if (auto* d = dialogOf(*w)) d->ended = true;
  detail::callProcedure(w, WM_DESTROY, 0, 0);
  std::vector<HWND> children;
  {
    std::lock_guard lock(windowState().mutex);
    children = w->children;
  }
  for (HWND c : children)
    if (auto child = windowState().find(c)) destroyTree(child);
  detail::callProcedure(w, WM_NCDESTROY, 0, 0);
  releaseWindow(w);
}

LRESULT copyText(const std::string& text, WPARAM size, LPARAM buffer) {
  auto* out = reinterpret_cast<char*>(buffer);
  if (!out || size == 0) return 0;
  std::size_t n = std::min<std::size_t>(text.size(), size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = 0;
  return static_cast<LRESULT>(n);
}

// WM_ERASEBKGND's default: the class background over the client area.
LRESULT eraseBackground(Window& w, HDC hdc) {
  HBRUSH brush = w.cls ? w.cls->background : nullptr;
  if (!brush) return 0;
  auto value = handleValue(brush);
  if (value >= 1 && value <= COLOR_INFOBK + 1) brush = GetSysColorBrush(static_cast<int>(value - 1));
  RECT r = detail::clientRectOf(w);
  FillRect(hdc, &r, brush);
  return 1;
}

LRESULT systemCommand(HWND hwnd, WPARAM command) {
  switch (command & 0xFFF0) {
    case SC_CLOSE:
      return SendMessage(hwnd, WM_CLOSE, 0, 0);
    case SC_MINIMIZE:
      detail::showWindow(hwnd, SW_MINIMIZE, true);
      return 0;
    case SC_MAXIMIZE:
      detail::showWindow(hwnd, SW_MAXIMIZE, true);
      return 0;
    case SC_RESTORE:
      detail::showWindow(hwnd, SW_RESTORE, true);
      return 0;
    default:
      return 0;
  }
}

}  // namespace

namespace detail {

HWND createWindow(const CreateParams& p) {
  auto& state = windowState();
  registerControlClasses(state);
  auto cls = classOf(state, p.className);
  if (!cls) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  auto w = std::make_shared<Window>();
  w->thread = state.currentQueue().id;
  w->cls = cls;
  w->proc = cls->proc;
  w->style = p.style & ~WS_VISIBLE;
  w->exStyle = p.exStyle;
  w->text = p.text;
  w->instance = p.instance;
  w->extra.assign(static_cast<std::size_t>(cls->windowExtra), 0);
  if (p.style & WS_CHILD) {
    auto parent = windowOf(p.parent);
    if (!p.parent) SetLastError(ERROR_TLW_WITH_WSCHILD);
    if (!parent) return nullptr;
    w->parent = p.parent;
    w->id = reinterpret_cast<UINT_PTR>(p.menu);
  } else {
    if (p.parent && !windowOf(p.parent)) return nullptr;
    w->owner = ownerOf(p.parent);
  }
  const auto& screen = machine().description().system;
  int x = defaultOr(p.x, 0), y = defaultOr(p.y, 0);
  int width = defaultOr(p.width, screen.screenWidth), height = defaultOr(p.height, screen.screenHeight);
  w->rect = RECT{x, y, x + width, y + height};
  if (p.exStyle & WS_EX_TOPMOST) w->topmost = true;

  HWND hwnd = state.add(w);
  if (w->parent) {
    std::lock_guard lock(state.mutex);
    if (auto parent = state.find(w->parent)) parent->children.push_back(hwnd);
  }
  CREATESTRUCTA cs{};
  cs.lpCreateParams = p.param;
  cs.hInstance = p.instance;
  cs.hMenu = p.menu;
  cs.hwndParent = p.parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = static_cast<LONG>(p.style);
  cs.lpszName = w->text.c_str();
  cs.lpszClass = cls->name.c_str();
  cs.dwExStyle = p.exStyle;
  if (!callProcedure(w, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
      callProcedure(w, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    destroyTree(w);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!windowState().find(hwnd)) return nullptr;  // destroyed itself while being made
  callProcedure(w, WM_SIZE, 0, MAKELPARAM(static_cast<WORD>(width), static_cast<WORD>(height)));
  callProcedure(w, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
  if (p.trace) {
    w->traced = true;
    traceCreate(*w, p.style);
  }
  if ((p.style & WS_VISIBLE) && p.showNow)
    showWindow(hwnd, (p.style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : SW_SHOW, false);
  return hwnd;
}

LRESULT callProcedure(const std::shared_ptr<Window>& window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!window || window->foreign) return 0;
  WNDPROC proc = window->proc;
  if (!proc) return DefWindowProc(window->hwnd, message, wParam, lParam);
  return proc(window->hwnd, message, wParam, lParam);
}

HWND topLevelOf(HWND hwnd) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  auto w = state.find(hwnd);
  for (int depth = 0; w && w->parent && depth < 256; ++depth) {
    auto parent = state.find(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w ? w->hwnd : hwnd;
}

std::vector<HWND> descendantsOf(HWND parent) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  std::vector<HWND> out;
  std::vector<HWND> stack;
  if (auto w = state.find(parent)) stack.assign(w->children.rbegin(), w->children.rend());
  while (!stack.empty()) {
    HWND h = stack.back();
    stack.pop_back();
    auto w = state.find(h);
    if (!w || w->destroying) continue;
    out.push_back(h);
    stack.insert(stack.end(), w->children.rbegin(), w->children.rend());
  }
  return out;
}

}  // namespace detail

namespace {

// A class from WNDCLASSA or WNDCLASSEXA.
template <typename Fields>
ATOM registerFrom(const Fields* wc, bool sizeOk) {
  if (!wc || !sizeOk || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowClass c;
  c.name = wc->lpszClassName;
  c.style = wc->style;
  c.proc = wc->lpfnWndProc;
  c.classExtra = wc->cbClsExtra;
  c.windowExtra = wc->cbWndExtra;
  c.instance = wc->hInstance;
  c.icon = wc->hIcon;
  c.cursor = wc->hCursor;
  c.background = wc->hbrBackground;
  if constexpr (std::is_same_v<Fields, WNDCLASSEXA>) c.iconSmall = wc->hIconSm;
  return registerClass(std::move(c));
}

}  // namespace

ATOM RegisterClass(const WNDCLASSA* wc) { return registerFrom(wc, true); }

ATOM RegisterClassEx(const WNDCLASSEXA* wc) { return registerFrom(wc, wc && wc->cbSize == sizeof(WNDCLASSEXA)); }

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
  auto& state = windowState();
  auto cls = classOf(state, className);
  if (!cls || cls->builtIn) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
  }
  for (auto& w : state.all())
    if (w->cls == cls) {
      SetLastError(ERROR_CLASS_HAS_WINDOWS);
      return FALSE;
    }
  return state.removeClass(cls->name) ? TRUE : FALSE;
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  detail::CreateParams p;
  p.exStyle = exStyle;
  p.className = className;
  p.text = textOrEmpty(windowName);
  p.style = style;
  p.x = x;
  p.y = y;
  p.width = width;
  p.height = height;
  p.parent = parent;
  p.menu = menu;
  p.instance = instance;
  p.param = param;
  return detail::createWindow(p);
}

BOOL DestroyWindow(HWND hwnd) {
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  if (w->foreign || w->thread != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  // Owned popups go first, then the window with its children.
  for (auto& other : windowState().all())
    if (other->owner == hwnd && !other->destroying) destroyTree(other);
  destroyTree(w);
  return TRUE;
}

LRESULT DefWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto w = windowState().find(hwnd);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE:
      return TRUE;
    case WM_SETTEXT:
      storeWindowText(*w, lParam ? reinterpret_cast<const char*>(lParam) : "");
      return TRUE;
    case WM_GETTEXT: {
      std::lock_guard lock(windowState().mutex);
      return copyText(w->text, wParam, lParam);
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard lock(windowState().mutex);
      return static_cast<LRESULT>(w->text.size());
    }
    case WM_CLOSE:
      DestroyWindow(hwnd);
      return 0;
    case WM_SYSCOMMAND:
      return systemCommand(hwnd, wParam);
    case WM_ERASEBKGND:
      return eraseBackground(*w, reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      detail::validateSilently(hwnd);
      return 0;
    case WM_SETICON: {
      HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_NCACTIVATE:
    case WM_QUERYENDSESSION:
    case WM_MOUSEACTIVATE:
      return TRUE;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default:
      return 0;
  }
}

LRESULT CallWindowProc(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(hwnd, message, wParam, lParam);
}

}  // namespace win
