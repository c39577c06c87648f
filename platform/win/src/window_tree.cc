// Relations between windows (parents, owners, siblings, children, dialog ids),
// FindWindow over this process's windows and the [windows] of other programs,
// and the window's longs (styles, ids, user data, extra bytes, dialog data).
#include <algorithm>
#include <cstring>

#include "dialog_state.h"
#include "win/error.h"
#include "win/path.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

// The windows other programs own, from [windows] <class> = <title>; made once, on first use.
void makeForeignWindows() {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  if (state.foreignWindowsMade) return;
  state.foreignWindowsMade = true;
  for (const auto& [className, title] : machine().description().windows) {
    auto w = std::make_shared<Window>();
    auto cls = std::make_shared<WindowClass>();
    cls->name = className;
    w->cls = cls;
    w->text = title;
    w->foreign = true;
    w->style = WS_OVERLAPPED | WS_VISIBLE;
    state.add(std::move(w));
  }
}

std::vector<HWND> siblingsOf(Window& w) {
  auto& state = windowState();
  std::lock_guard lock(state.mutex);
  if (auto parent = state.find(w.parent)) return parent->children;
  std::vector<HWND> out;
  for (auto& other : state.all())
    if (!other->parent && !other->foreign && !other->destroying) out.push_back(other->hwnd);
  return out;
}

bool classMatches(const Window& w, LPCSTR className) {
  if (!className) return true;
  if (IS_INTRESOURCE(className)) return w.cls->atom == static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(className));
  return namesEqual(w.cls->name, className);
}

// Reads or writes a value of the window's extra bytes.
template <typename T>
bool extraValue(Window& w, int index, T* value, bool write) {
  if (index < 0 || static_cast<std::size_t>(index) + sizeof(T) > w.extra.size()) return false;
  if (write)
    std::memcpy(w.extra.data() + index, value, sizeof(T));
  else
    std::memcpy(value, w.extra.data() + index, sizeof(T));
  return true;
}

// The dialog data at a DWLP_ index, or null.
LONG_PTR* dialogField(Window& w, int index) {
  auto* d = dialogOf(w);
  if (!d) return nullptr;
  if (index == DWLP_MSGRESULT) return &d->msgResult;
  if (index == DWLP_USER) return &d->user;
  return nullptr;
}

LONG_PTR getLong(Window& w, int index, bool wide, bool* ok) {
  *ok = true;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w.proc);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w.instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w.parent ? w.parent : w.owner);
    case GWL_ID:
      return static_cast<LONG_PTR>(w.id);
    case GWL_STYLE:
      return static_cast<LONG>(w.style);
    case GWL_EXSTYLE:
      return static_cast<LONG>(w.exStyle);
    case GWLP_USERDATA:
      return w.userData;
    default:
      break;
  }
  if (auto* d = dialogOf(w); d && index == DWLP_DLGPROC) return reinterpret_cast<LONG_PTR>(d->proc);
  if (auto* field = dialogField(w, index)) return *field;
  if (wide) {
    LONG_PTR v = 0;
    if (extraValue(w, index, &v, false)) return v;
  } else {
    LONG v = 0;
    if (extraValue(w, index, &v, false)) return v;
  }
  *ok = false;
  return 0;
}

LONG_PTR setLong(Window& w, int index, LONG_PTR value, bool wide, bool* ok) {
  LONG_PTR old = getLong(w, index, wide, ok);
  if (!*ok) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      w.proc = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w.instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT:
      if (!w.parent) w.owner = reinterpret_cast<HWND>(value);
      return old;
    case GWL_ID:
      w.id = static_cast<UINT_PTR>(value);
      return old;
    case GWL_STYLE:
      w.style = static_cast<DWORD>(value);
      return old;
    case GWL_EXSTYLE:
      w.exStyle = static_cast<DWORD>(value);
      return old;
    case GWLP_USERDATA:
      w.userData = value;
      return old;
    default:
      break;
  }
  if (auto* d = dialogOf(w); d && index == DWLP_DLGPROC) {
    d->proc = reinterpret_cast<DLGPROC>(value);
    return old;
  }
  if (auto* field = dialogField(w, index)) {
    *field = value;
    return old;
  }
  if (wide)
    extraValue(w, index, &value, true);
  else {
    auto v = static_cast<LONG>(value);
    extraValue(w, index, &v, true);
  }
  return old;
}

}  // namespace

HWND GetParent(HWND hwnd) {
  auto w = windowOf(hwnd);
  if (!w) return nullptr;
  return w->parent ? w->parent : w->owner;
}

HWND GetDesktopWindow() { return handleFromValue<HWND>(kDesktopWindowHandle); }

HWND GetWindow(HWND hwnd, UINT command) {
  auto w = windowOf(hwnd);
  if (!w) return nullptr;
  if (command == GW_OWNER) return w->owner;
  if (command == GW_CHILD) {
    std::lock_guard lock(windowState().mutex);
    return w->children.empty() ? nullptr : w->children.front();
  }
  if (command > GW_CHILD) {
    SetLastError(ERROR_INVALID_GW_COMMAND);
    return nullptr;
  }
  auto siblings = siblingsOf(*w);
  if (siblings.empty()) return nullptr;
  auto at = std::find(siblings.begin(), siblings.end(), hwnd);
  switch (command) {
    case GW_HWNDFIRST:
      return siblings.front();
    case GW_HWNDLAST:
      return siblings.back();
    case GW_HWNDNEXT:
      return at == siblings.end() || at + 1 == siblings.end() ? nullptr : *(at + 1);
    default:  // GW_HWNDPREV
      return at == siblings.end() || at == siblings.begin() ? nullptr : *(at - 1);
  }
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> list;
  if (parent) {
    if (!windowOf(parent)) return FALSE;
    list = detail::descendantsOf(parent);
  } else {
    for (auto& w : windowState().all())
      if (!w->parent && !w->foreign && !w->destroying) list.push_back(w->hwnd);
  }
  for (HWND h : list)
    if (IsWindow(h) && !proc(h, param)) break;
  return TRUE;
}

HWND GetDlgItem(HWND dialog, int id) {
  auto w = windowOf(dialog);
  if (!w) return nullptr;
  std::lock_guard lock(windowState().mutex);
  for (HWND c : w->children)
    if (auto child = windowState().find(c); child && static_cast<WORD>(child->id) == static_cast<WORD>(id)) return c;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND hwnd) {
  auto w = windowOf(hwnd);
  return w && w->parent ? static_cast<int>(w->id) : 0;
}

HWND FindWindow(LPCSTR className, LPCSTR windowName) {
  makeForeignWindows();
  auto all = windowState().all();
  for (bool foreign : {false, true})
    for (auto& w : all) {
      if (w->foreign != foreign || w->parent || w->destroying) continue;
      if (!classMatches(*w, className)) continue;
      if (windowName && !namesEqual(w->text, windowName)) continue;
      return w->hwnd;
    }
  return nullptr;
}

LONG GetWindowLong(HWND hwnd, int index) {
  auto w = windowOf(hwnd);
  if (!w) return 0;
  std::lock_guard lock(windowState().mutex);
  bool ok = false;
  auto v = getLong(*w, index, false, &ok);
  if (!ok) SetLastError(ERROR_INVALID_INDEX);
  return static_cast<LONG>(v);
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
  auto w = windowOf(hwnd);
  if (!w) return 0;
  std::lock_guard lock(windowState().mutex);
  bool ok = false;
  auto v = setLong(*w, index, value, false, &ok);
  if (!ok) SetLastError(ERROR_INVALID_INDEX);
  return static_cast<LONG>(v);
}

LONG_PTR GetWindowLongPtr(HWND hwnd, int index) {
  auto w = windowOf(hwnd);
  if (!w) return 0;
  std::lock_guard lock(windowState().mutex);
  bool ok = false;
  auto v = getLong(*w, index, true, &ok);
  if (!ok) SetLastError(ERROR_INVALID_INDEX);
  return v;
}

LONG_PTR SetWindowLongPtr(HWND hwnd, int index, LONG_PTR value) {
  auto w = windowOf(hwnd);
  if (!w) return 0;
  std::lock_guard lock(windowState().mutex);
  bool ok = false;
  auto v = setLong(*w, index, value, true, &ok);
  if (!ok) SetLastError(ERROR_INVALID_INDEX);
  return v;
}

}  // namespace win
