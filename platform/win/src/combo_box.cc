// The "ComboBox" class: the list with its current item and the edit text (the
// window text; a drop-down list shows the current item's text), owner-draw
// selection fields and CB_DIR listings. The list never drops down.
#include "control_procs.h"
#include "gdi_internal.h"
#include "list_items.h"
#include "window_internal.h"

namespace win {

namespace {

bool hasStrings(const Window& w) {
  return !(w.style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) || (w.style & CBS_HASSTRINGS);
}

bool isDropDownList(const Window& w) { return (w.style & CBS_TYPEMASK) == CBS_DROPDOWNLIST; }

// Makes index current and shows its text in the edit (a bad index clears both).
LRESULT select(Window& w, ListState& s, WPARAM index) {
  int i = static_cast<int>(index);
  bool valid = validIndex(s, index);
  s.current = valid ? i : -1;
  {
    std::lock_guard lock(windowState().mutex);
    w.text = valid ? s.items[index].text : std::string();
  }
  repaintQuietly(w.hwnd);
  return valid ? i : CB_ERR;
}

LRESULT setText(Window& w, ListState& s, LPARAM lParam) {
  std::string text = lParam ? reinterpret_cast<const char*>(lParam) : "";
  if (!isDropDownList(w)) {
    storeWindowText(w, text);
    return TRUE;
  }
  int i = findItem(s, -1, text, true);
  if (i < 0) return CB_ERR;
  select(w, s, static_cast<WPARAM>(i));
  return TRUE;
}

std::optional<LRESULT> comboBoxMessage(Window& w, ListState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = w.hwnd;
  bool sorted = (w.style & CBS_SORT) != 0;
  switch (message) {
    case WM_NCCREATE:
      w.text.clear();  // the edit starts empty whatever the template says
      return std::nullopt;
    case WM_CREATE:
      measureOwnerDrawItems(hwnd);
      return 0;
    case WM_SETFONT:
      setListFont(w, s, wParam, (w.style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0);
      return 0;
    case WM_SETTEXT:
      return setText(w, s, lParam);
    case CB_ADDSTRING: {
      auto a = itemArgument(hasStrings(w), lParam);
      int i = addItem(s, sorted, std::move(a.text), a.data);
      repaintQuietly(hwnd);
      return i;
    }
    case CB_INSERTSTRING: {
      auto a = itemArgument(hasStrings(w), lParam);
      int i = insertItem(s, static_cast<int>(wParam), std::move(a.text), a.data);
      return i < 0 ? CB_ERR : i;
    }
    case CB_DELETESTRING:
      if (!deleteItem(s, static_cast<int>(wParam))) return CB_ERR;
      repaintQuietly(hwnd);
      return static_cast<LRESULT>(s.items.size());
    case CB_RESETCONTENT:
      s.items.clear();
      s.current = -1;
      {
        std::lock_guard lock(windowState().mutex);
        w.text.clear();
      }
      repaintQuietly(hwnd);
      return CB_OKAY;
    case CB_GETCOUNT:
      return static_cast<LRESULT>(s.items.size());
    case CB_GETLBTEXT:
      return copyItemText(s, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return validIndex(s, wParam) ? static_cast<LRESULT>(s.items[wParam].text.size()) : CB_ERR;
    case CB_SETCURSEL:
      return select(w, s, wParam);
    case CB_GETCURSEL:
      return s.current;
    case CB_SELECTSTRING: {
      if (!lParam) return CB_ERR;
      int i = findItem(s, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam), false);
      return i < 0 ? CB_ERR : select(w, s, static_cast<WPARAM>(i));
    }
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
      if (!lParam) return CB_ERR;
      return findItem(s, static_cast<int>(wParam), reinterpret_cast<const char*>(lParam),
                      message == CB_FINDSTRINGEXACT);
    case CB_SETITEMDATA:
      if (!validIndex(s, wParam)) return CB_ERR;
      s.items[wParam].data = static_cast<ULONG_PTR>(lParam);
      return CB_OKAY;
    case CB_GETITEMDATA:
      return validIndex(s, wParam) ? static_cast<LRESULT>(s.items[wParam].data) : CB_ERR;
    case CB_LIMITTEXT:
      s.editLimit = static_cast<DWORD>(wParam);
      return TRUE;
    case CB_SETITEMHEIGHT:
      if (lParam <= 0) return CB_ERR;
      s.itemHeight = static_cast<int>(lParam);
      return CB_OKAY;
    case CB_GETITEMHEIGHT:
      return s.itemHeight;
    case CB_SHOWDROPDOWN:
      return TRUE;
    case CB_GETDROPPEDSTATE:
    case CB_GETEDITSEL:
    case CB_SETEDITSEL:
      return 0;
    case CB_DIR: {
      int i = addDirectoryItems(s, sorted, static_cast<UINT>(wParam), lParam);
      return i < 0 ? CB_ERR : i;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT comboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return runControl<ListState>(hwnd, message, wParam, lParam, comboBoxMessage, ControlKind::ComboBox);
}

}  // namespace win
