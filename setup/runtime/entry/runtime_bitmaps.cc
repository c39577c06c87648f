// Placeholder bitmaps: a BITMAPINFOHEADER followed by bottom-up 24-bit rows.
#include "entry/runtime_bitmaps.h"

#include <cstdint>

#include "entry/dll_main.h"
#include "entry/main_state.h"
#include "win/gdi.h"
#include "win/resource.h"

namespace merl {

namespace {

constexpr int kSide = 16;
constexpr int kRowBytes = kSide * 3;  // already a multiple of 4

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

}  // namespace

std::string placeholderBitmap(int id) {
  std::string dib;
  put32(dib, 40);
  put32(dib, kSide);
  put32(dib, kSide);
  put16(dib, 1);
  put16(dib, 24);
  put32(dib, 0);
  put32(dib, kRowBytes * kSide);
  for (int i = 0; i < 4; ++i) put32(dib, 0);
  char grey = static_cast<char>(0x40 + 0x10 * (id % 12));
  dib.append(static_cast<std::size_t>(kRowBytes * kSide), grey);
  return dib;
}

void LoadRuntimeBitmaps() {
  std::vector<win::HBITMAP>& bitmaps = mainState().bitmaps;
  win::HDC dc = win::GetDC(nullptr);
  for (int id : kRuntimeBitmapIds) {
    auto bytes = win::findResourceBytes(ownModule(), win::RT_BITMAP, win::MAKEINTRESOURCE(id));
    win::HBITMAP bitmap = nullptr;
    if (bytes && bytes->size >= sizeof(win::BITMAPINFOHEADER)) {
      const auto* header = reinterpret_cast<const win::BITMAPINFOHEADER*>(bytes->data);
      const win::BYTE* bits = bytes->data + header->biSize;
      bitmap = win::CreateDIBitmap(dc, header, win::CBM_INIT, bits, reinterpret_cast<const win::BITMAPINFO*>(header),
                                   win::DIB_RGB_COLORS);
    }
    bitmaps.push_back(bitmap);
  }
  if (dc) win::ReleaseDC(nullptr, dc);
}

void FreeRuntimeBitmaps() {
  for (win::HBITMAP bitmap : mainState().bitmaps)
    if (bitmap) win::DeleteObject(bitmap);
  mainState().bitmaps.clear();
}

}  // namespace merl
