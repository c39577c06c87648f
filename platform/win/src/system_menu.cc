// The system menu of a window (its items' enabled or greyed state, which
// decides whether Close can be pressed), the process's cursor and the system icons.
#include <cstdint>

#include "win/error.h"
#include "window_internal.h"

namespace win {

namespace {

Menu standardSystemMenu(HWND owner) {
  Menu m;
  m.owner = owner;
  for (UINT id : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, 0u, SC_CLOSE})
    m.items.push_back(MenuItem{id});
  return m;
}

}  // namespace

HMENU GetSystemMenu(HWND hwnd, BOOL revert) {
  auto w = windowOf(hwnd);
  if (!w || !(w->style & WS_SYSMENU)) return nullptr;
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  if (revert) {
    if (Menu* m = state.findMenu(w->systemMenu)) *m = standardSystemMenu(hwnd);
    return nullptr;
  }
  if (!w->systemMenu) w->systemMenu = state.addMenu(standardSystemMenu(hwnd));
  return w->systemMenu;
}

BOOL EnableMenuItem(HMENU menu, UINT item, UINT flags) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  Menu* m = state.findMenu(menu);
  if (!m) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return -1;
  }
  MenuItem* target = nullptr;
  if (flags & MF_BYPOSITION) {
    if (item < m->items.size()) target = &m->items[item];
  } else {
    for (auto& i : m->items)
      if (i.id == item && i.id != 0) target = &i;
  }
  if (!target) return -1;
  UINT old = target->state;
  target->state = flags & (MF_GRAYED | MF_DISABLED);
  return static_cast<BOOL>(old);
}

HCURSOR LoadCursor(HINSTANCE instance, LPCSTR name) {
  if (instance || !IS_INTRESOURCE(name)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HICON LoadIcon(HINSTANCE instance, LPCSTR name) {
  auto id = reinterpret_cast<std::uintptr_t>(name);
  if (instance || !IS_INTRESOURCE(name) || id < 32512 || id > 32516) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HICON>(const_cast<char*>(name));
}

HCURSOR SetCursor(HCURSOR cursor) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  HCURSOR old = state.cursor;
  state.cursor = cursor;
  return old;
}

}  // namespace win
