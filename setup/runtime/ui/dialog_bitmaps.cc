// RealizeDibPalette, PaintDialogBitmap with its layout in dialog units, and
// DrawTransparentBitmap through a one-bit mask.
#include "ui/dialog_bitmaps.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "entry/main_state.h"
#include "run.h"
#include "win/dialog.h"
#include "win/message.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr std::size_t kPrefixSize = 10;
constexpr DWORD kMaxColors = 256;

struct DialogPalettes : RunState {
  ~DialogPalettes() override {
    for (win::HPALETTE p : {dialog, offscreen})
      if (p) win::DeleteObject(p);
  }
  win::HPALETTE dialog = nullptr;
  win::HPALETTE offscreen = nullptr;
};

struct Prefix {
  WORD width, height;
  DWORD bitsOffset;
  WORD colors;
};

Prefix readPrefix(const win::BYTE* data) {
  Prefix p{};
  std::memcpy(&p.width, data, 2);
  std::memcpy(&p.height, data + 2, 2);
  std::memcpy(&p.bitsOffset, data + 4, 4);
  std::memcpy(&p.colors, data + 8, 2);
  return p;
}

DWORD tableColors(const win::BITMAPINFOHEADER& h) {
  if (h.biClrUsed) return h.biClrUsed;
  return h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
}

// The header and colour table of checked graphic data, copied to aligned memory.
class DibHeader {
 public:
  explicit DibHeader(const win::BYTE* data) {
    win::BITMAPINFOHEADER h;
    std::memcpy(&h, data + kPrefixSize, sizeof h);
    std::size_t bytes = h.biSize + 4ull * std::max<DWORD>(tableColors(h), readPrefix(data).colors);
    words_.resize((bytes + 3) / 4);
    std::memcpy(words_.data(), data + kPrefixSize, bytes);
  }
  const win::BITMAPINFOHEADER* header() const {
    return reinterpret_cast<const win::BITMAPINFOHEADER*>(words_.data());
  }
  const win::BITMAPINFO* info() const { return reinterpret_cast<const win::BITMAPINFO*>(words_.data()); }

 private:
  std::vector<std::uint32_t> words_;
};

// Snaps a drawn size to the bitmap's own when they differ by at most max(3, 3 %).
int snapped(int drawn, int own) { return std::abs(drawn - own) <= std::max(3, drawn * 3 / 100) ? own : drawn; }

void fillSolid(win::HDC dc, const win::RECT& r, win::COLORREF color) {
  win::HBRUSH brush = win::CreateSolidBrush(color);
  win::FillRect(dc, &r, brush);
  win::DeleteObject(brush);
}

void drawFrame(win::HDC dc, const win::RECT& box) {
  const win::COLORREF grey = win::RGB(128, 128, 128), white = win::RGB(255, 255, 255);
  fillSolid(dc, win::RECT{box.left - 1, box.top - 1, box.right + 1, box.top}, grey);
  fillSolid(dc, win::RECT{box.left - 1, box.top - 1, box.left, box.bottom + 1}, grey);
  fillSolid(dc, win::RECT{box.right, box.top - 1, box.right + 1, box.bottom + 1}, white);
  fillSolid(dc, win::RECT{box.left - 1, box.bottom, box.right + 1, box.bottom + 1}, white);
}

void drawInto(win::HDC target, const win::BYTE* data, const DibHeader& dib, const DialogBitmapPlace& place) {
  Prefix prefix = readPrefix(data);
  const auto* header = dib.header();
  win::LONG units = win::GetDialogBaseUnits();
  int bx = win::LOWORD(units), by = win::HIWORD(units);
  int left = place.x * bx / 4, top = place.y * by / 8;
  int boxW, boxH, drawW, drawH;
  if (place.boxMode) {
    boxW = place.proportion ? place.width * bx / 8 : place.width;
    boxH = place.proportion ? place.height * by / 16 : place.height;
    drawW = place.width;
    drawH = place.height;
  } else {
    boxW = place.width * bx / 4;
    boxH = place.height * by / 8;
    drawW = place.proportion ? 2 * place.width : boxW;
    drawH = place.proportion ? 2 * place.height : boxH;
  }
  drawW = snapped(drawW, prefix.width);
  drawH = snapped(drawH, prefix.height);
  int marginX = (boxW - drawW) / 2, marginY = (boxH - drawH) / 2;
  win::RECT box{left, top, left + boxW, top + boxH};
  if (place.boxMode && (marginX || marginY)) fillSolid(target, box, place.boxColor);
  win::StretchDIBits(target, left + marginX, top + marginY, drawW, drawH, 0, 0, header->biWidth,
                     std::abs(header->biHeight), data + kPrefixSize + prefix.bitsOffset, dib.info(),
                     win::DIB_RGB_COLORS, win::SRCCOPY);
  if (place.boxMode && place.frame) drawFrame(target, box);
}

}  // namespace

win::HPALETTE* customDialogPalette() { return &currentRun()->state<DialogPalettes>().dialog; }
win::HPALETTE* offscreenPalette() { return &currentRun()->state<DialogPalettes>().offscreen; }

win::HPALETTE RealizeDibPalette(const win::BITMAPINFOHEADER* header, win::HDC dc, win::HPALETTE* slot) {
  if (!header) return nullptr;
  win::BITMAPINFOHEADER h;  // the header may sit at any address of graphic data
  std::memcpy(&h, header, sizeof h);
  if (h.biBitCount != 8) return nullptr;
  DWORD count = h.biClrUsed ? h.biClrUsed : kMaxColors;
  if (count > kMaxColors) return nullptr;
  std::vector<win::BYTE> block(sizeof(win::LOGPALETTE) + count * sizeof(win::PALETTEENTRY));
  auto* log = reinterpret_cast<win::LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(count);
  const auto* table = reinterpret_cast<const win::BYTE*>(header) + h.biSize;
  for (DWORD i = 0; i < count; ++i) {
    win::RGBQUAD q;
    std::memcpy(&q, table + 4 * i, sizeof q);
    win::PALETTEENTRY e{q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
    std::memcpy(block.data() + offsetof(win::LOGPALETTE, palPalEntry) + i * sizeof e, &e, sizeof e);
  }
  win::HPALETTE palette = win::CreatePalette(log);
  if (!palette) return nullptr;
  win::SelectPalette(dc, palette, win::FALSE);
  win::RealizePalette(dc);
  if (slot) {
    if (*slot && *slot != palette) win::DeleteObject(*slot);
    *slot = palette;
  }
  return palette;
}

bool DialogBitmapFits(const win::BYTE* data, std::size_t size) {
  if (!data || size < kPrefixSize + sizeof(win::BITMAPINFOHEADER)) return false;
  Prefix prefix = readPrefix(data);
  win::BITMAPINFOHEADER h;
  std::memcpy(&h, data + kPrefixSize, sizeof h);
  if (h.biSize < sizeof h || h.biSize > size - kPrefixSize || h.biWidth <= 0 || h.biHeight == 0 ||
      h.biWidth > 16384 || std::abs(h.biHeight) > 16384 || h.biCompression != win::BI_RGB)
    return false;
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32:
      break;
    default:
      return false;
  }
  DWORD colors = tableColors(h);
  if (colors > kMaxColors || prefix.colors > kMaxColors) return false;
  std::size_t tableEnd = kPrefixSize + h.biSize + 4ull * std::max<DWORD>(colors, prefix.colors);
  std::size_t stride = ((static_cast<std::size_t>(h.biWidth) * h.biBitCount + 31) / 32) * 4;
  std::size_t bitsEnd = kPrefixSize + static_cast<std::size_t>(prefix.bitsOffset) +
                        stride * static_cast<std::size_t>(std::abs(h.biHeight));
  return tableEnd <= size && prefix.bitsOffset <= size && bitsEnd <= size;
}

bool PaintDialogBitmap(win::HDC dc, const win::BYTE* data, std::size_t size, const DialogBitmapPlace& place,
                       win::HWND window) {
  if (!DialogBitmapFits(data, size)) return false;
  DibHeader dib(data);
  const auto* header = dib.header();
  RealizeDibPalette(header, dc, customDialogPalette());
  if (!window) {
    drawInto(dc, data, dib, place);
    return true;
  }
  win::RECT client{};
  win::GetClientRect(window, &client);
  win::HDC memory = win::CreateCompatibleDC(dc);
  win::HBITMAP offscreen = win::CreateCompatibleBitmap(dc, client.right, client.bottom);
  if (!memory || !offscreen) {
    if (offscreen) win::DeleteObject(offscreen);
    if (memory) win::DeleteDC(memory);
    return false;
  }
  win::HGDIOBJ old = win::SelectObject(memory, offscreen);
  win::HPALETTE oldPalette = nullptr;
  if (header->biBitCount == 8) {
    oldPalette = win::SelectPalette(memory, static_cast<win::HPALETTE>(win::GetStockObject(win::DEFAULT_PALETTE)),
                                    win::FALSE);
    RealizeDibPalette(header, memory, offscreenPalette());
  }
  fillSolid(memory, client,
            win::GetSysColor(mainState().ctl3dRegistered ? win::COLOR_BTNFACE : win::COLOR_WINDOW));
  drawInto(memory, data, dib, place);
  win::BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, win::SRCCOPY);
  if (oldPalette) win::SelectPalette(memory, oldPalette, win::FALSE);
  win::SelectObject(memory, old);
  win::DeleteObject(offscreen);
  win::DeleteDC(memory);
  return true;
}

void DrawTransparentBitmap(win::HDC dc, int x, int y, win::HBITMAP bitmap, win::COLORREF transparent) {
  win::BITMAP bm{};
  if (!bitmap || !win::GetObject(bitmap, sizeof bm, &bm)) return;
  int w = bm.bmWidth, h = bm.bmHeight;
  win::HDC source = win::CreateCompatibleDC(dc);
  win::HDC maskDc = win::CreateCompatibleDC(dc);
  win::HDC work = win::CreateCompatibleDC(dc);
  win::HBITMAP mask = win::CreateBitmap(w, h, 1, 1, nullptr);
  win::HBITMAP workBitmap = win::CreateCompatibleBitmap(dc, w, h);
  win::HBRUSH background = win::CreateSolidBrush(win::GetBkColor(dc));
  if (source && maskDc && work && mask && workBitmap && background) {
    win::HGDIOBJ oldSource = win::SelectObject(source, bitmap);
    win::HGDIOBJ oldMask = win::SelectObject(maskDc, mask);
    win::HGDIOBJ oldWork = win::SelectObject(work, workBitmap);
    win::SetBkColor(source, transparent);
    win::BitBlt(maskDc, 0, 0, w, h, source, 0, 0, win::SRCCOPY);
    win::BitBlt(work, 0, 0, w, h, source, 0, 0, win::SRCCOPY);
    win::HGDIOBJ oldBrush = win::SelectObject(work, background);
    win::SetTextColor(work, win::RGB(0, 0, 0));
    win::SetBkColor(work, win::RGB(255, 255, 255));
    win::BitBlt(work, 0, 0, w, h, maskDc, 0, 0, 0x00E20746);
    win::BitBlt(dc, x, y, w, h, work, 0, 0, win::SRCCOPY);
    win::SelectObject(work, oldBrush);
    win::SelectObject(work, oldWork);
    win::SelectObject(maskDc, oldMask);
    win::SelectObject(source, oldSource);
  }
  if (background) win::DeleteObject(background);
  if (workBitmap) win::DeleteObject(workBitmap);
  if (mask) win::DeleteObject(mask);
  for (win::HDC d : {work, maskDc, source})
    if (d) win::DeleteDC(d);
}

}  // namespace merl
