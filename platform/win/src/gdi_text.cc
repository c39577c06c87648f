// Text output and measuring with the fixed metrics: DrawText (DT_CALCRECT only
// measures), TextOut, ExtTextOut, GetTextExtentPoint and GetTextMetrics.
#include <algorithm>
#include <cstring>

#include "gdi_internal.h"
#include "ui_trace.h"
#include "win/error.h"

namespace win {

namespace {

using detail::DeviceContext;
using detail::gdiObject;

std::string_view textOf(LPCSTR text, int count) {
  if (!text) return {};
  return count < 0 ? std::string_view(text) : std::string_view(text, static_cast<std::size_t>(count));
}

void traceText(const char* call, DeviceContext& dc, HDC hdc, JsonObject f, std::string_view text) {
  f.add("text", text);
  detail::addDrawingState(dc, f, true, false);
  detail::traceGdi(call, hdc, f);
}

}  // namespace

int DrawText(HDC hdc, LPCSTR text, int count, RECT* rect, UINT format) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || !rect || !text) return 0;
  std::string_view s = textOf(text, count);
  auto m = detail::fontMetrics(dc->font);
  auto lines = detail::layoutLines(m, s, format, rect->right - rect->left);
  int width = 0;
  for (const auto& l : lines) width = std::max(width, detail::lineWidth(m, l, (format & DT_EXPANDTABS) != 0));
  int height = static_cast<int>(lines.size()) * m.height;
  if (format & DT_CALCRECT) {
    rect->right = rect->left + width;
    rect->bottom = rect->top + height;
    return height;
  }
  JsonObject f;
  f.add("rect", detail::rectJson(*rect)).add("format", detail::hex32(format));
  traceText("DrawText", *dc, hdc, f, s);
  int y = rect->top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER)
      y = rect->top + (rect->bottom - rect->top - m.height) / 2;
    else if (format & DT_BOTTOM)
      y = rect->bottom - m.height;
  }
  for (const auto& l : lines) {
    int w = detail::lineWidth(m, l, (format & DT_EXPANDTABS) != 0);
    int x = rect->left;
    if (format & DT_CENTER)
      x = rect->left + (rect->right - rect->left - w) / 2;
    else if (format & DT_RIGHT)
      x = rect->right - w;
    dc->backend->textOut(*dc, x, y, (format & DT_NOCLIP) ? 0 : ETO_CLIPPED, rect, l);
    y += m.height;
  }
  return height;
}

BOOL TextOut(HDC hdc, int x, int y, LPCSTR text, int count) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || count < 0 || (!text && count > 0)) return FALSE;
  std::string_view s = textOf(text, count);
  traceText("TextOut", *dc, hdc, JsonObject().add("x", x).add("y", y), s);
  dc->backend->textOut(*dc, x, y, 0, nullptr, s);
  return TRUE;
}

BOOL ExtTextOut(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT*) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || (!text && count > 0)) return FALSE;
  std::string_view s = text ? std::string_view(text, count) : std::string_view();
  JsonObject f;
  f.add("x", x).add("y", y).add("options", detail::hex32(options));
  if (rect) f.add("rect", detail::rectJson(*rect));
  traceText("ExtTextOut", *dc, hdc, f, s);
  dc->backend->textOut(*dc, x, y, options, rect, s);
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC hdc, LPCSTR text, int count, SIZE* size) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || !size || count < 0 || (!text && count > 0)) return FALSE;
  auto m = detail::fontMetrics(dc->font);
  *size = SIZE{detail::lineWidth(m, textOf(text, count), false), m.height};
  return TRUE;
}

BOOL GetTextExtentPoint(HDC hdc, LPCSTR text, int count, SIZE* size) {
  return GetTextExtentPoint32(hdc, text, count, size);
}

BOOL GetTextMetrics(HDC hdc, TEXTMETRICA* metrics) {
  auto dc = gdiObject<DeviceContext>(hdc);
  if (!dc || !metrics) return FALSE;
  LOGFONTA log{};
  detail::logFontOf(dc->font, &log);
  auto m = detail::metricsOf(log);
  *metrics = TEXTMETRICA{};
  metrics->tmHeight = m.height;
  metrics->tmAscent = m.ascent;
  metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internalLeading;
  metrics->tmAveCharWidth = m.aveWidth;
  metrics->tmMaxCharWidth = m.aveWidth;
  metrics->tmWeight = log.lfWeight ? log.lfWeight : FW_NORMAL;
  metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = machine().description().ui.logPixelsY;
  metrics->tmFirstChar = 0x20;
  metrics->tmLastChar = 0xFF;
  metrics->tmDefaultChar = 0x80;
  metrics->tmBreakChar = 0x20;
  metrics->tmItalic = log.lfItalic;
  metrics->tmUnderlined = log.lfUnderline;
  metrics->tmStruckOut = log.lfStrikeOut;
  metrics->tmPitchAndFamily = log.lfPitchAndFamily;
  metrics->tmCharSet = log.lfCharSet;
  return TRUE;
}

}  // namespace win
