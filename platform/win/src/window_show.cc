// Show state, enabling, window texts and the thread's focus.
#include <algorithm>
#include <cstring>

#include "dialog_state.h"
#include "ui_trace.h"
#include "win/error.h"
#include "window_internal.h"

namespace win {

namespace detail {

bool isVisible(HWND hwnd) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  auto w = state.find(hwnd);
  for (int depth = 0; w && depth < 256; ++depth) {
    if (!(w->style & WS_VISIBLE) || w->destroying) return false;
    if (!w->parent) return true;
    w = state.find(w->parent);
  }
  return false;
}

void invalidateTree(HWND hwnd, bool erase) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  std::vector<HWND> all = descendantsOf(hwnd);
  all.insert(all.begin(), hwnd);
  for (HWND h : all)
    if (auto w = state.find(h)) {
      w->hasUpdate = true;
      w->update = clientRectOf(*w);
      w->erase = w->erase || erase;
    }
}

void validateSilently(HWND hwnd) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  if (auto w = state.find(hwnd)) {
    w->hasUpdate = false;
    w->update = RECT{};
    w->erase = false;
  }
}

bool showWindow(HWND hwnd, int command, bool trace) {
  auto w = windowOf(hwnd);
  if (!w || w->foreign) return false;
  bool was = (w->style & WS_VISIBLE) != 0;
  bool show = command != SW_HIDE;
  switch (command) {
    case SW_SHOWMAXIMIZED:
      if (!w->maximized) {
        if (!w->minimized) w->restoreRect = w->rect;
        w->maximized = true;
        w->minimized = false;
        RECT full{0, 0, machine().description().system.screenWidth, machine().description().system.screenHeight};
        if (auto parent = windowState().find(w->parent)) full = clientRectOf(*parent);
        setWindowRect(*w, full, false, false);
      }
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
      if (!w->minimized && !w->maximized) w->restoreRect = w->rect;
      w->minimized = true;
      break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
      if (w->maximized || w->minimized) {
        w->maximized = w->minimized = false;
        setWindowRect(*w, w->restoreRect, false, false);
      }
      break;
    default:
      break;
  }
  {
    std::lock_guard lock(windowState().mutex);
    if (show)
      w->style |= WS_VISIBLE;
    else
      w->style &= ~WS_VISIBLE;
  }
  auto* dialog = dialogOf(*w);
  if (trace && !w->parent && !dialog) detail::trace("show", JsonObject().add("hwnd", hv(hwnd)).add("cmd", command));
  if (show && !was) {
    callProcedure(w, WM_SHOWWINDOW, TRUE, 0);
    invalidateTree(hwnd, true);
    if (dialog && !dialog->announced && isVisible(hwnd)) announceDialog(hwnd);
  } else if (!show && was) {
    callProcedure(w, WM_SHOWWINDOW, FALSE, 0);
  }
  return was;
}

}  // namespace detail

void storeWindowText(Window& w, std::string text) {
  {
    std::lock_guard lock(windowState().mutex);
    if (w.text == text) return;
    w.text = text;
  }
  JsonObject f;
  f.add("hwnd", detail::hv(w.hwnd));
  if (w.parent) f.add("id", static_cast<std::uint64_t>(w.id));
  detail::trace("text", f.add("text", text));
}

BOOL ShowWindow(HWND hwnd, int command) { return detail::showWindow(hwnd, command, true) ? TRUE : FALSE; }

BOOL EnableWindow(HWND hwnd, BOOL enable) {
  auto w = windowOf(hwnd);
  if (!w) return FALSE;
  bool wasDisabled;
  {
    std::lock_guard lock(windowState().mutex);
    wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable)
      w->style &= ~WS_DISABLED;
    else
      w->style |= WS_DISABLED;
  }
  if (wasDisabled == !enable) return wasDisabled ? TRUE : FALSE;
  SendMessage(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindow(HWND hwnd) {
  auto w = hwnd ? windowState().find(hwnd) : nullptr;
  return w && !w->destroying ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hwnd) {
  auto w = windowOf(hwnd);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) { return detail::isVisible(hwnd) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND hwnd) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  auto w = state.find(hwnd);
  for (int depth = 0; w && w->parent && depth < 256; ++depth) {
    if (w->parent == parent) return TRUE;
    w = state.find(w->parent);
  }
  return FALSE;
}

BOOL IsIconic(HWND hwnd) {
  auto w = windowOf(hwnd);
  return w && w->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND hwnd) {
  auto w = windowOf(hwnd);
  return w && w->maximized ? TRUE : FALSE;
}

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
  auto w = windowOf(hwnd);
  if (!w || w->foreign) return FALSE;
  return SendMessage(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowText(HWND hwnd, LPSTR buffer, int size) {
  auto w = windowOf(hwnd);
  if (!w || !buffer || size <= 0) return 0;
  if (w->foreign) {
    std::lock_guard lock(windowState().mutex);
    std::size_t n = std::min<std::size_t>(w->text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, w->text.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
  }
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLength(HWND hwnd) {
  auto w = windowOf(hwnd);
  if (!w) return 0;
  if (w->foreign) return static_cast<int>(w->text.size());
  return static_cast<int>(SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0));
}

HWND SetFocus(HWND hwnd) {
  auto& q = windowState().currentQueue();
  if (hwnd) {
    auto w = windowOf(hwnd);
    if (!w) return nullptr;
    if (w->thread != q.id || w->foreign) {
      SetLastError(ERROR_ACCESS_DENIED);
      return nullptr;
    }
  }
  HWND old = q.focus;
  if (old == hwnd) return old;
  q.focus = hwnd;
  if (hwnd) q.active = detail::topLevelOf(hwnd);
  if (old && IsWindow(old)) SendMessage(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
  if (hwnd) SendMessage(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
  return old;
}

HWND GetFocus() { return windowState().currentQueue().focus; }

HWND GetActiveWindow() { return windowState().currentQueue().active; }

HWND SetActiveWindow(HWND hwnd) {
  auto& q = windowState().currentQueue();
  if (hwnd && !windowOf(hwnd)) return nullptr;
  HWND old = q.active;
  q.active = hwnd;
  return old;
}

BOOL SetForegroundWindow(HWND hwnd) {
  if (!windowOf(hwnd)) return FALSE;
  SetActiveWindow(hwnd);
  return TRUE;
}

}  // namespace win
