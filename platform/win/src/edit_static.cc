// The "Edit", "Static" and "ScrollBar" classes: an edit's text, length limit
// and selection; a static's text or image; a scroll bar that only exists.
#include <algorithm>
#include <cstring>

#include "control_procs.h"
#include "window_internal.h"

namespace win {

namespace {

constexpr DWORD kLargestEditLimit = 0x7FFFFFFE;

void clampSelection(EditState& s, std::size_t length) {
  auto n = static_cast<DWORD>(length);
  s.selStart = std::min(s.selStart, n);
  s.selEnd = std::min(s.selEnd, n);
}

std::optional<LRESULT> editMessage(Window& w, EditState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETTEXT:
      storeWindowText(w, lParam ? reinterpret_cast<const char*>(lParam) : "");
      s.modified = false;
      s.selStart = s.selEnd = 0;
      return TRUE;
    case EM_LIMITTEXT:
      s.limit = wParam ? static_cast<DWORD>(std::min<WPARAM>(wParam, kLargestEditLimit)) : kLargestEditLimit;
      return 0;
    case EM_GETLIMITTEXT:
      return s.limit;
    case EM_GETSEL:
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = s.selStart;
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = s.selEnd;
      return MAKELONG(static_cast<WORD>(s.selStart), static_cast<WORD>(s.selEnd));
    case EM_SETSEL: {
      auto length = static_cast<DWORD>(w.text.size());
      auto start = static_cast<long long>(static_cast<int>(wParam)),
           end = static_cast<long long>(static_cast<int>(lParam));
      s.selStart = start < 0 ? length : static_cast<DWORD>(std::min<long long>(start, length));
      s.selEnd = end < 0 ? length : static_cast<DWORD>(std::min<long long>(end, length));
      return 0;
    }
    case EM_REPLACESEL: {
      std::string text = w.text;
      clampSelection(s, text.size());
      DWORD from = std::min(s.selStart, s.selEnd), to = std::max(s.selStart, s.selEnd);
      std::string insert = lParam ? reinterpret_cast<const char*>(lParam) : "";
      text.replace(from, to - from, insert);
      storeWindowText(w, text);
      s.selStart = s.selEnd = from + static_cast<DWORD>(insert.size());
      s.modified = true;
      return 0;
    }
    case EM_GETMODIFY:
      return s.modified ? TRUE : FALSE;
    case EM_SETMODIFY:
      s.modified = wParam != 0;
      return 0;
    case EM_SETREADONLY:
      if (wParam)
        w.style |= ES_READONLY;
      else
        w.style &= ~ES_READONLY;
      return TRUE;
    case EM_GETLINECOUNT:
      return 1 + static_cast<LRESULT>(std::count(w.text.begin(), w.text.end(), '\n'));
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return runControl<EditState>(hwnd, message, wParam, lParam, editMessage);
}

namespace {

std::optional<LRESULT> staticMessage(Window&, StaticState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case STM_SETICON:
    case STM_SETIMAGE: {
      HANDLE old = s.image;
      s.image = reinterpret_cast<HANDLE>(message == STM_SETICON ? static_cast<LPARAM>(wParam) : lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
    case STM_GETIMAGE:
      return reinterpret_cast<LRESULT>(s.image);
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT staticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return runControl<StaticState>(hwnd, message, wParam, lParam, staticMessage);
}

namespace {

std::optional<LRESULT> scrollBarMessage(Window&, ScrollBarState&, UINT, WPARAM, LPARAM) { return std::nullopt; }

}  // namespace

LRESULT scrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return runControl<ScrollBarState>(hwnd, message, wParam, lParam, scrollBarMessage);
}

}  // namespace win
