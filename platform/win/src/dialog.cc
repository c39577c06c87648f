// Making dialogs from templates (font, base units, frame, controls,
// WM_INITDIALOG), the dialog class's procedure and DefDlgProc, EndDialog,
// IsDialogMessage, and what the answers engine asks of a dialog.
#include <cstring>

#include "answers_engine.h"
#include "controls.h"
#include "dialog_state.h"
#include "gdi_internal.h"
#include "resource_seam.h"
#include "ui_trace.h"
#include "win/error.h"
#include "win/gdi.h"
#include "win/ui_constants.h"
#include "window_internal.h"

namespace win {

namespace {

bool isSpecialDialogResult(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

struct DialogFont {
  HFONT font = nullptr;
  int baseX = kSystemBaseUnitX;
  int baseY = kSystemBaseUnitY;
};

DialogFont makeDialogFont(const DialogTemplate& t) {
  DialogFont f;
  if (!t.hasFont) return f;
  LOGFONTA log{};
  log.lfHeight = -detail::mulDiv(t.pointSize, machine().description().ui.logPixelsY, 72);
  log.lfWeight = FW_NORMAL;
  log.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(log.lfFaceName, t.faceName.c_str(), LF_FACESIZE - 1);
  f.font = detail::makeFont(log);
  auto m = detail::metricsOf(log);
  f.baseX = m.aveWidth;
  f.baseY = m.height;
  return f;
}

RECT dialogUnitsToPixels(const DialogFont& f, int x, int y, int cx, int cy) {
  int left = detail::mulDiv(x, f.baseX, 4), top = detail::mulDiv(y, f.baseY, 8);
  return RECT{left, top, left + detail::mulDiv(cx, f.baseX, 4), top + detail::mulDiv(cy, f.baseY, 8)};
}

// The dialog window's rectangle: the template gives the client area, relative to the owner's
// client area (the parent's for a child dialog, the screen with DS_ABSALIGN or no owner).
RECT dialogRect(const DialogTemplate& t, const DialogFont& f, DWORD exStyle, HWND owner) {
  RECT client = dialogUnitsToPixels(f, t.x, t.y, t.cx, t.cy);
  auto in = detail::frameInsets(t.style, exStyle);
  RECT r{client.left - in.left, client.top - in.top, client.right + in.right, client.bottom + in.bottom};
  const auto& screen = machine().description().system;
  if (t.style & DS_CENTER) {
    LONG w = r.right - r.left, h = r.bottom - r.top;
    r.left = (screen.screenWidth - w) / 2;
    r.top = (screen.screenHeight - h) / 2;
    r.right = r.left + w;
    r.bottom = r.top + h;
  } else if (!(t.style & (WS_CHILD | DS_ABSALIGN)) && owner) {
    if (auto o = windowState().find(owner)) {
      POINT origin = detail::clientOriginOnScreen(*o);
      r.left += origin.x;
      r.right += origin.x;
      r.top += origin.y;
      r.bottom += origin.y;
    }
  }
  return r;
}

std::string itemClassName(const DialogItemTemplate& item) {
  if (item.windowClass.isOrdinal) return std::string(classNameOfOrdinal(item.windowClass.ordinal));
  return item.windowClass.text;
}

std::string itemText(const DialogItemTemplate& item) {
  if (item.title.isOrdinal) return "#" + std::to_string(item.title.ordinal);
  return item.title.text;
}

bool createControls(HWND dialog, HINSTANCE instance, const DialogTemplate& t, const DialogFont& f) {
  for (const auto& item : t.items) {
    std::string cls = itemClassName(item);
    if (cls.empty()) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return false;
    }
    RECT r = dialogUnitsToPixels(f, item.x, item.y, item.cx, item.cy);
    std::string creation;
    if (!item.creationData.empty()) {
      creation.push_back(static_cast<char>((item.creationData.size() + 2) & 0xFF));
      creation.push_back(static_cast<char>((item.creationData.size() + 2) >> 8));
      creation += item.creationData;
    }
    detail::CreateParams p;
    p.exStyle = item.exStyle;
    p.className = cls.c_str();
    p.text = itemText(item);
    p.style = item.style | WS_CHILD;
    p.x = r.left;
    p.y = r.top;
    p.width = r.right - r.left;
    p.height = r.bottom - r.top;
    p.parent = dialog;
    p.menu = reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(item.id));
    p.instance = instance;
    p.param = creation.empty() ? nullptr : creation.data();
    p.trace = false;
    HWND control = detail::createWindow(p);
    if (!control) return false;
    if (f.font) SendMessage(control, WM_SETFONT, reinterpret_cast<WPARAM>(f.font), FALSE);
  }
  return true;
}

// The first visible, enabled control with WS_TABSTOP.
HWND firstTabStop(HWND dialog) {
  auto w = windowState().find(dialog);
  if (!w) return nullptr;
  std::vector<HWND> children;
  {
    std::lock_guard lock(windowState().mutex);
    children = w->children;
  }
  for (HWND c : children)
    if (auto child = windowState().find(c);
        child && (child->style & WS_TABSTOP) && (child->style & WS_VISIBLE) && !(child->style & WS_DISABLED))
      return c;
  return nullptr;
}

LRESULT defaultDialogHandling(Window& w, DialogState& d, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SETFONT:
      w.font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(w.font ? w.font : d.font);
    case DM_GETDEFID:
      return MAKELONG(static_cast<WORD>(defaultButtonOf(w.hwnd)), DC_HASDEFID);
    case DM_SETDEFID:
      d.defId = static_cast<WORD>(wParam);
      return TRUE;
    case WM_CLOSE:
      SendMessage(w.hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                  reinterpret_cast<LPARAM>(GetDlgItem(w.hwnd, IDCANCEL)));
      return 0;
    case WM_ERASEBKGND: {
      RECT r = detail::clientRectOf(w);
      FillRect(reinterpret_cast<HDC>(wParam), &r, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      return DefWindowProc(w.hwnd, message, wParam, lParam);
  }
}

}  // namespace

DialogState* dialogOf(Window& window) { return window.dialog.get(); }

std::string DialogKeys::primary() const {
  if (number >= 0) return "#" + std::to_string(number);
  if (!resourceKey.empty()) return resourceKey;
  return "\"" + caption + "\"";
}

DialogKeys dialogKeys(HWND dialog) {
  DialogKeys k;
  auto w = windowState().find(dialog);
  if (!w || !w->dialog) return k;
  std::lock_guard lock(windowState().mutex);
  k.resourceKey = w->dialog->resourceKey;
  k.number = w->dialog->number;
  k.caption = w->text;
  return k;
}

int defaultButtonOf(HWND dialog) {
  auto w = windowState().find(dialog);
  if (!w || !w->dialog) return IDOK;
  if (w->dialog->defId) return w->dialog->defId;
  for (HWND c : detail::descendantsOf(dialog))
    if (auto child = windowState().find(c); child && child->control && child->control->kind == ControlKind::Button &&
                                            (child->style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
      return static_cast<int>(child->id);
  return IDOK;
}

bool closeEnabled(Window& w) {
  if (!(w.style & WS_SYSMENU)) return false;
  Menu* menu = windowState().findMenu(w.systemMenu);
  if (!menu) return true;
  for (const auto& item : menu->items)
    if (item.id == SC_CLOSE) return item.state == MF_ENABLED;
  return true;
}

bool canPress(HWND dialog, int id, std::string* why) {
  auto w = windowState().find(dialog);
  if (!w) return false;
  HWND control = GetDlgItem(dialog, id);
  auto c = control ? windowState().find(control) : nullptr;
  bool usable = c && (c->style & WS_VISIBLE) && !(c->style & WS_DISABLED);
  if (usable) return true;
  if (id == IDCANCEL && closeEnabled(*w)) return true;
  if (!c && id == IDOK && defaultButtonOf(dialog) == IDOK) return true;  // the Enter key
  if (!c)
    *why = "the dialog has no control " + std::to_string(id);
  else
    *why = "control " + std::to_string(id) + ((c->style & WS_VISIBLE) ? " is disabled" : " is hidden");
  if (id == IDCANCEL) *why += " and its Close is greyed";
  return false;
}

void pressButton(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  auto c = control ? windowState().find(control) : nullptr;
  if (c && c->control && c->control->kind == ControlKind::Button) {
    SendMessage(control, BM_CLICK, 0, 0);
    return;
  }
  SendMessage(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

void announceDialog(HWND dialog) {
  auto w = windowState().find(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d || d->announced) return;
  d->announced = true;
  JsonArray controls;
  for (HWND c : detail::descendantsOf(dialog)) {
    auto child = windowState().find(c);
    if (!child || child->parent != dialog) continue;
    JsonObject o;
    o.add("id", static_cast<std::uint64_t>(child->id))
        .add("class", controlClassName(*child))
        .add("text", child->text)
        .add("style", detail::hex32(child->style))
        .add("visible", (child->style & WS_VISIBLE) != 0)
        .add("enabled", !(child->style & WS_DISABLED))
        .add("rect", detail::rectJson(child->rect));
    describeControlState(*child, o);
    controls.add(o);
  }
  JsonObject f;
  f.add("hwnd", detail::hv(dialog))
      .add("key", dialogKeys(dialog).primary())
      .add("title", w->text)
      .add("modal", d->modal);
  f.add("rect", detail::rectJson(detail::screenRectOf(*w)));
  if (!d->faceName.empty()) f.add("font", JsonObject().add("face", d->faceName).add("size", d->pointSize));
  if (w->iconBig || w->iconSmall) f.add("icon", detail::hv(w->iconBig ? w->iconBig : w->iconSmall));
  f.add("close", closeEnabled(*w)).add("controls", controls);
  detail::trace("dialog", f);
}

LRESULT dialogWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto w = windowState().find(hwnd);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d) return DefWindowProc(hwnd, message, wParam, lParam);
  if (DLGPROC proc = d->proc) {
    INT_PTR r = proc(hwnd, message, wParam, lParam);
    if (r) return isSpecialDialogResult(message) ? r : d->msgResult;
  }
  return defaultDialogHandling(*w, *d, message, wParam, lParam);
}

HWND createDialog(HINSTANCE instance, const DialogTemplate& t, HWND owner, DLGPROC proc, LPARAM param, bool modal,
                  std::string resourceKey) {
  if (owner && !windowOf(owner)) return nullptr;
  auto& queue = windowState().currentQueue();
  int number = queue.nextDialogNumber;
  queue.nextDialogNumber = -1;
  DialogFont f = makeDialogFont(t);
  DWORD exStyle = t.exStyle | ((t.style & DS_MODALFRAME) ? WS_EX_DLGMODALFRAME : 0);
  RECT r = dialogRect(t, f, exStyle, owner);
  std::string cls = t.windowClass.empty() ? "#32770" : t.windowClass.text;
  detail::CreateParams p;
  p.exStyle = exStyle;
  p.className = t.windowClass.isOrdinal ? MAKEINTRESOURCE(t.windowClass.ordinal) : cls.c_str();
  p.text = t.title;
  p.style = t.style & ~WS_VISIBLE;
  p.x = r.left;
  p.y = r.top;
  p.width = r.right - r.left;
  p.height = r.bottom - r.top;
  p.parent = owner;
  p.instance = instance;
  p.trace = false;
  HWND dialog = detail::createWindow(p);
  if (!dialog) {
    if (f.font) detail::deleteObjectQuietly(f.font);
    return nullptr;
  }
  auto w = windowState().find(dialog);
  auto d = std::make_unique<DialogState>();
  d->proc = proc;
  d->param = param;
  d->modal = modal;
  d->font = f.font;
  d->ownsFont = f.font != nullptr;
  d->baseX = f.baseX;
  d->baseY = f.baseY;
  d->faceName = t.hasFont ? t.faceName : "";
  d->pointSize = t.pointSize;
  d->resourceKey = std::move(resourceKey);
  d->number = number;
  w->dialog = std::move(d);
  w->traced = true;  // its "dialog" line stands for creation; destruction is traced
  if (f.font) SendMessage(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(f.font), FALSE);
  if (!createControls(dialog, instance, t, f)) {
    DWORD error = GetLastError();
    DestroyWindow(dialog);
    SetLastError(error);
    return nullptr;
  }
  HWND focus = firstTabStop(dialog);
  LRESULT init = SendMessage(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
  if (!IsWindow(dialog)) return nullptr;
  if (init && focus && IsWindow(focus)) SetFocus(focus);
  if (!modal && (t.style & WS_VISIBLE) && !w->dialog->ended) detail::showWindow(dialog, SW_SHOWNORMAL, false);
  return dialog;
}

namespace {

// A dialog made from template bytes; null (ERROR_INVALID_DATA, a "dialog-refused" line) when they do not parse.
HWND dialogFrom(HINSTANCE instance, std::string_view bytes, HWND owner, DLGPROC proc, LPARAM param, bool modal,
                std::string key) {
  std::string error;
  auto t = parseDialogTemplate(bytes, &error);
  if (!t) {
    detail::trace("dialog-refused", JsonObject().add("key", key).add("why", error));
    SetLastError(ERROR_INVALID_DATA);
    return nullptr;
  }
  return createDialog(instance, *t, owner, proc, param, modal, std::move(key));
}

INT_PTR runDialog(HWND dialog) { return dialog ? runModalDialog(dialog) : -1; }

std::string resourceKeyOf(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return std::to_string(reinterpret_cast<std::uintptr_t>(name));
  return name;
}

// A dialog from the module's DIALOG resource.
HWND dialogFromResource(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param, bool modal) {
  if (!name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto bytes = detail::resourceBytes(instance, detail::kDialogResourceType, name);
  if (!bytes) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return dialogFrom(instance, *bytes, owner, proc, param, modal, resourceKeyOf(name));
}

// A dialog from template bytes in memory.
HWND dialogFromMemory(HINSTANCE instance, const DLGTEMPLATE* t, DWORD size, HWND owner, DLGPROC proc, LPARAM param,
                      bool modal) {
  if (!t) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return dialogFrom(instance, std::string_view(reinterpret_cast<const char*>(t), size), owner, proc, param, modal, "");
}

}  // namespace

INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
  return runDialog(dialogFromResource(instance, templateName, owner, proc, param, true));
}

INT_PTR DialogBoxIndirectParam(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, DWORD templateSize, HWND owner,
                               DLGPROC proc, LPARAM param) {
  return runDialog(dialogFromMemory(instance, dialogTemplate, templateSize, owner, proc, param, true));
}

HWND CreateDialogParam(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC proc, LPARAM param) {
  return dialogFromResource(instance, templateName, owner, proc, param, false);
}

HWND CreateDialogIndirectParam(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, DWORD templateSize, HWND owner,
                               DLGPROC proc, LPARAM param) {
  return dialogFromMemory(instance, dialogTemplate, templateSize, owner, proc, param, false);
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
  auto w = windowOf(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d) return FALSE;
  if (d->ended) return TRUE;
  d->ended = true;
  d->result = result;
  detail::trace("dialog-end", JsonObject()
                                  .add("hwnd", detail::hv(dialog))
                                  .add("key", dialogKeys(dialog).primary())
                                  .add("result", static_cast<std::int64_t>(result)));
  if (!d->modal) detail::showWindow(dialog, SW_HIDE, false);
  return TRUE;
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
  if (!msg || !msg->hwnd || !dialog || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  DispatchMessage(msg);
  return TRUE;
}

LRESULT DefDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto w = windowState().find(dialog);
  auto* d = w ? dialogOf(*w) : nullptr;
  if (!d) return DefWindowProc(dialog, message, wParam, lParam);
  return defaultDialogHandling(*w, *d, message, wParam, lParam);
}

}  // namespace win
