// DrawOwnerDrawItem: highlight colours for a selected item, the picture drawn
// transparently at its indentation, the text opaque and clipped, the focus frame.
#include "ui/owner_draw.h"

#include <string>

#include "entry/runtime_bitmaps.h"
#include "ui/dialog_bitmaps.h"
#include "win/gdi.h"
#include "win/message.h"

namespace merl {

void DrawOwnerDrawItem(const win::DRAWITEMSTRUCT* item, bool combo) {
  if (!item || item->itemID == static_cast<win::UINT>(-1)) return;
  char text[256] = {};
  auto length = win::SendMessage(item->hwndItem, combo ? win::CB_GETLBTEXTLEN : win::LB_GETTEXTLEN, item->itemID, 0);
  if (length >= 0 && length < static_cast<win::LRESULT>(sizeof text))
    win::SendMessage(item->hwndItem, combo ? win::CB_GETLBTEXT : win::LB_GETTEXT, item->itemID,
                     reinterpret_cast<win::LPARAM>(text));
  win::ULONG_PTR data = item->itemData;
  win::HDC dc = item->hDC;
  const win::RECT& r = item->rcItem;
  if (item->itemAction & (win::ODA_DRAWENTIRE | win::ODA_SELECT)) {
    win::COLORREF oldText = 0, oldBack = 0;
    bool selected = (item->itemState & win::ODS_SELECTED) != 0;
    if (selected) {
      oldText = win::SetTextColor(dc, win::GetSysColor(win::COLOR_HIGHLIGHTTEXT));
      oldBack = win::SetBkColor(dc, win::GetSysColor(win::COLOR_HIGHLIGHT));
    }
    int picture = static_cast<int>(data >> 16);
    int indent = combo ? 0 : static_cast<int>(data & 0xFFFF) * 4 + 4;
    win::HBITMAP bitmap = runtimeBitmap(picture);
    win::BITMAP bm{};
    if (bitmap) win::GetObject(bitmap, sizeof bm, &bm);
    win::ExtTextOut(dc, r.left + indent + bm.bmWidth + 4, r.top, win::ETO_OPAQUE | win::ETO_CLIPPED, &r, text,
                    static_cast<win::UINT>(std::char_traits<char>::length(text)), nullptr);
    if (bitmap)
      DrawTransparentBitmap(dc, r.left + indent, r.top + (r.bottom - r.top - bm.bmHeight) / 2, bitmap,
                            kPictureTransparent);
    if (selected) {
      win::SetTextColor(dc, oldText);
      win::SetBkColor(dc, oldBack);
    }
  }
  if ((item->itemAction & win::ODA_FOCUS) || (item->itemState & win::ODS_FOCUS)) win::DrawFocusRect(dc, &r);
}

}  // namespace merl
