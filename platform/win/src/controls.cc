// The built-in control classes: registration, the steps their procedures
// share, what the transcript shows of a control, and owner-draw messages.
#include "controls.h"

#include "control_procs.h"
#include "dialog_state.h"
#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/gdi.h"
#include "window_internal.h"

namespace win {

namespace {

void addBuiltIn(WindowState& state, const char* name, WNDPROC proc) {
  WindowClass c;
  c.name = name;
  c.proc = proc;
  c.builtIn = true;
  state.addClass(std::move(c));
}

const char* kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
      return "Button";
    case ControlKind::Edit:
      return "Edit";
    case ControlKind::Static:
      return "Static";
    case ControlKind::ListBox:
      return "ListBox";
    case ControlKind::ComboBox:
      return "ComboBox";
    default:
      return "ScrollBar";
  }
}

void describeItems(ListState& s, JsonObject& out, bool multiple) {
  JsonArray items, selected;
  for (std::size_t i = 0; i < s.items.size(); ++i) {
    items.add(s.items[i].text);
    if (multiple ? s.items[i].selected : static_cast<int>(i) == s.current) selected.add(static_cast<std::uint64_t>(i));
  }
  out.add("items", items).add("selected", selected);
  if (!s.tabStops.empty()) {
    JsonArray stops;
    for (int t : s.tabStops) stops.add(t);
    out.add("tabstops", stops);
  }
}

// A font given to the control other than its dialog's own: face, height and weight.
void describeFont(Window& w, JsonObject& out) {
  if (!w.font) return;
  auto parent = w.parent ? windowState().find(w.parent) : nullptr;
  auto* d = parent ? dialogOf(*parent) : nullptr;
  LOGFONTA f{};
  if ((d && d->font == w.font) || GetObject(w.font, sizeof f, &f) == 0) return;
  out.add("font", JsonObject().add("face", std::string(f.lfFaceName)).add("height", f.lfHeight).add("weight", f.lfWeight));
}

}  // namespace

void registerControlClasses(WindowState& state) {
  std::lock_guard lock(state.mutex);
  if (state.controlClassesRegistered) return;
  state.controlClassesRegistered = true;
  addBuiltIn(state, "Button", buttonProc);
  addBuiltIn(state, "Edit", editProc);
  addBuiltIn(state, "Static", staticProc);
  addBuiltIn(state, "ListBox", listBoxProc);
  addBuiltIn(state, "ComboBox", comboBoxProc);
  addBuiltIn(state, "ScrollBar", scrollBarProc);
  addBuiltIn(state, "#32770", dialogWindowProc);
}

ControlState* controlOf(Window& window) { return window.control.get(); }

std::string controlClassName(Window& window) {
  if (auto* c = controlOf(window)) return kindName(c->kind);
  return window.cls ? window.cls->name : "";
}

bool isMultipleSelection(const Window& w) {
  return (w.style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0 && w.control && w.control->kind == ControlKind::ListBox;
}

void describeControlState(Window& w, JsonObject& out) {
  describeFont(w, out);
  if (auto* b = stateOf<ButtonState>(w)) {
    if (isCheckBox(w) || isRadioButton(w)) out.add("checked", static_cast<std::uint64_t>(b->check));
  } else if (auto* l = stateOf<ListState>(w)) {
    describeItems(*l, out, isMultipleSelection(w));
  }
}

bool handleCommonMessage(Window& w, UINT message, WPARAM wParam, LRESULT* result) {
  *result = 0;
  switch (message) {
    case WM_SETFONT:
      w.font = reinterpret_cast<HFONT>(wParam);
      return true;
    case WM_GETFONT:
      *result = reinterpret_cast<LRESULT>(w.font);
      return true;
    case WM_PAINT:
      drawOwnerDrawItems(w.hwnd);
      detail::validateSilently(w.hwnd);
      return true;
    default:
      return false;
  }
}

void repaintQuietly(HWND hwnd) {
  auto w = windowState().find(hwnd);
  if (!w) return;
  std::lock_guard lock(windowState().mutex);
  w->hasUpdate = true;
  w->update = detail::clientRectOf(*w);
}

void notifyParent(Window& w, WORD code) {
  if (!w.parent) return;
  SendMessage(w.parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w.id), code), reinterpret_cast<LPARAM>(w.hwnd));
}

void measureOwnerDrawItems(HWND control) {
  auto w = windowState().find(control);
  auto* s = w ? stateOf<ListState>(*w) : nullptr;
  if (!s || !w->parent) return;
  bool combo = s->kind == ControlKind::ComboBox;
  DWORD fixed = combo ? CBS_OWNERDRAWFIXED : LBS_OWNERDRAWFIXED;
  if (!(w->style & fixed)) return;
  MEASUREITEMSTRUCT m{combo ? ODT_COMBOBOX : ODT_LISTBOX,
                      static_cast<UINT>(w->id),
                      0,
                      static_cast<UINT>(detail::clientRectOf(*w).right),
                      static_cast<UINT>(s->itemHeight),
                      0};
  SendMessage(w->parent, WM_MEASUREITEM, w->id, reinterpret_cast<LPARAM>(&m));
  s->itemHeight = static_cast<int>(m.itemHeight);
}

void drawOwnerDrawItems(HWND control) {
  auto w = windowState().find(control);
  auto* s = w ? stateOf<ListState>(*w) : nullptr;
  if (!s || !w->parent) return;
  bool combo = s->kind == ControlKind::ComboBox;
  DWORD ownerDraw = combo ? (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE) : (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE);
  if (!(w->style & ownerDraw)) return;
  RECT client = detail::clientRectOf(*w);
  int height = std::max(1, s->itemHeight);
  int first = combo ? s->current : s->top;
  int last = combo ? s->current : std::min<int>(static_cast<int>(s->items.size()) - 1, s->top + client.bottom / height);
  if (first < 0) return;
  HDC hdc = detail::makeWindowDc(control, detail::DcKind::Window);
  bool multiple = isMultipleSelection(*w);
  for (int i = first; i <= last && i < static_cast<int>(s->items.size()); ++i) {
    const auto& item = s->items[static_cast<std::size_t>(i)];
    UINT state = (multiple ? item.selected : i == s->current) ? ODS_SELECTED : 0;
    if (combo) state |= ODS_COMBOBOXEDIT;
    if (GetFocus() == control && i == s->current) state |= ODS_FOCUS;
    RECT r = combo ? client : RECT{0, (i - s->top) * height, client.right, (i - s->top + 1) * height};
    DRAWITEMSTRUCT d{combo ? ODT_COMBOBOX : ODT_LISTBOX,
                     static_cast<UINT>(w->id),
                     static_cast<UINT>(i),
                     ODA_DRAWENTIRE,
                     state,
                     control,
                     hdc,
                     r,
                     item.data};
    detail::trace("drawitem", JsonObject()
                                  .add("hwnd", detail::hv(control))
                                  .add("id", static_cast<std::uint64_t>(w->id))
                                  .add("item", i)
                                  .add("state", static_cast<std::uint64_t>(state))
                                  .add("hdc", detail::hv(hdc))
                                  .add("rect", detail::rectJson(r)));
    SendMessage(w->parent, WM_DRAWITEM, w->id, reinterpret_cast<LPARAM>(&d));
  }
  detail::releaseDc(hdc);
}

}  // namespace win
