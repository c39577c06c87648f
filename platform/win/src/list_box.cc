// The "ListBox" class: items with texts and data, single and multiple
// selection, tab stops, extents, owner-draw items and LB_DIR listings.
#include <algorithm>
#include <cstring>

#include "control_procs.h"
#include "gdi_internal.h"
#include "list_items.h"
#include "window_internal.h"

namespace win {

namespace {

bool hasStrings(const Window& w) {
  return !(w.style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) || (w.style & LBS_HASSTRINGS);
}

bool ownerDrawn(const Window& w) { return (w.style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }

void changed(Window& w) {
  if (ownerDrawn(w)) repaintQuietly(w.hwnd);
}

LRESULT setSel(Window& w, ListState& s, bool select, LPARAM index) {
  if (!isMultipleSelection(w)) return LB_ERR;
  if (index == -1) {
    for (auto& i : s.items) i.selected = select;
  } else {
    if (!validIndex(s, static_cast<WPARAM>(index))) return LB_ERR;
    s.items[static_cast<std::size_t>(index)].selected = select;
    s.current = static_cast<int>(index);
  }
  changed(w);
  return LB_OKAY;
}

LRESULT setCurSel(Window& w, ListState& s, WPARAM index) {
  if (isMultipleSelection(w)) return LB_ERR;
  int i = static_cast<int>(index);
  if (i != -1 && !validIndex(s, index)) return LB_ERR;
  s.current = i;
  changed(w);
  return i == -1 ? LB_ERR : i;
}

LRESULT getSelItems(Window& w, ListState& s, WPARAM max, LPARAM out) {
  if (!isMultipleSelection(w)) return LB_ERR;
  auto* indexes = reinterpret_cast<int*>(out);
  LRESULT n = 0;
  for (std::size_t i = 0; i < s.items.size() && static_cast<WPARAM>(n) < max && indexes; ++i)
    if (s.items[i].selected) indexes[n++] = static_cast<int>(i);
  return n;
}

LRESULT itemRect(Window& w, ListState& s, WPARAM index, LPARAM out) {
  if (!validIndex(s, index) || !out) return LB_ERR;
  int h = std::max(1, s.itemHeight);
  int row = static_cast<int>(index) - s.top;
  *reinterpret_cast<RECT*>(out) = RECT{0, row * h, detail::clientRectOf(w).right, (row + 1) * h};
  return LB_OKAY;
}

std::optional<LRESULT> listBoxMessage(Window& w, ListState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = w.hwnd;
  bool sorted = (w.style & LBS_SORT) != 0;
  switch (message) {
    case WM_CREATE:
      measureOwnerDrawItems(hwnd);
      return 0;
    case WM_SETFONT:
      setListFont(w, s, wParam, ownerDrawn(w));
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(w.font);
    case LB_ADDSTRING: {
      auto a = itemArgument(hasStrings(w), lParam);
      int i = addItem(s, sorted, std::move(a.text), a.data);
      changed(w);
      return i;
    }
    case LB_INSERTSTRING: {
      auto a = itemArgument(hasStrings(w), lParam);
      int i = insertItem(s, static_cast<int>(wParam), std::move(a.text), a.data);
      changed(w);
      return i < 0 ? LB_ERR : i;
    }
    case LB_DELETESTRING:
      if (!deleteItem(s, static_cast<int>(wParam))) return LB_ERR;
      changed(w);
      return static_cast<LRESULT>(s.items.size());
    case LB_RESETCONTENT:
      s.items.clear();
      s.current = -1;
      s.top = 0;
      changed(w);
      return 0;
    case LB_GETCOUNT:
      return static_cast<LRESULT>(s.items.size());
    case LB_GETTEXT:
      if (!hasStrings(w) && validIndex(s, wParam) && lParam) {
        std::memcpy(reinterpret_cast<void*>(lParam), &s.items[wParam].data, sizeof(ULONG_PTR));
        return sizeof(ULONG_PTR);
      }
      return copyItemText(s, wParam, lParam);
    case LB_GETTEXTLEN:
      return validIndex(s, wParam) ? static_cast<LRESULT>(s.items[wParam].text.size()) : LB_ERR;
    case LB_SETCURSEL:
      return setCurSel(w, s, wParam);
    case LB_GETCURSEL:
      return s.current;
    case LB_SETSEL:
      return setSel(w, s, wParam != 0, lParam);
    case LB_GETSEL:
      if (!validIndex(s, wParam)) return LB_ERR;
      return isMultipleSelection(w) ? (s.items[wParam].selected ? 1 : 0) : (static_cast<int>(wParam) == s.current);
    case LB_GETSELCOUNT:
      if (!isMultipleSelection(w)) return LB_ERR;
      return std::count_if(s.items.begin(), s.items.end(), [](const ListItem& i) { return i.selected; });
    case LB_GETSELITEMS:
      return getSelItems(w, s, wParam, lParam);
    case LB_SETITEMDATA:
      if (!validIndex(s, wParam)) return LB_ERR;
      s.items[wParam].data = static_cast<ULONG_PTR>(lParam);
      return LB_OKAY;
    case LB_GETITEMDATA:
      return validIndex(s, wParam) ? static_cast<LRESULT>(s.items[wParam].data) : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
      if (!lParam) return LB_ERR;
      return findItem(s, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam),
                      message == LB_FINDSTRINGEXACT);
    case LB_SELECTSTRING: {
      if (!lParam || isMultipleSelection(w)) return LB_ERR;
      int i = findItem(s, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), false);
      return i < 0 ? LB_ERR : setCurSel(w, s, static_cast<WPARAM>(i));
    }
    case LB_SETTABSTOPS: {
      const auto* stops = reinterpret_cast<const int*>(lParam);
      std::size_t n = std::min<std::size_t>(wParam, 256);
      s.tabStops.assign(stops && n ? stops : nullptr, stops && n ? stops + n : nullptr);
      return TRUE;
    }
    case LB_SETHORIZONTALEXTENT:
      s.horizontalExtent = static_cast<int>(wParam);
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return s.horizontalExtent;
    case LB_SETTOPINDEX:
      if (!validIndex(s, wParam) && !(wParam == 0 && s.items.empty())) return LB_ERR;
      s.top = static_cast<int>(wParam);
      changed(w);
      return LB_OKAY;
    case LB_GETTOPINDEX:
      return s.top;
    case LB_SETCARETINDEX:
      if (!validIndex(s, wParam)) return LB_ERR;
      s.current = static_cast<int>(wParam);
      return LB_OKAY;
    case LB_GETCARETINDEX:
      return s.current;
    case LB_GETITEMRECT:
      return itemRect(w, s, wParam, lParam);
    case LB_SETITEMHEIGHT:
      if (LOWORD(static_cast<std::uintptr_t>(lParam)) == 0) return LB_ERR;
      s.itemHeight = LOWORD(static_cast<std::uintptr_t>(lParam));
      return LB_OKAY;
    case LB_GETITEMHEIGHT:
      return s.itemHeight;
    case LB_DIR: {
      int i = addDirectoryItems(s, sorted, static_cast<UINT>(wParam), lParam);
      changed(w);
      return i < 0 ? LB_ERR : i;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT listBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return runControl<ListState>(hwnd, message, wParam, lParam, listBoxMessage, ControlKind::ListBox);
}

}  // namespace win
