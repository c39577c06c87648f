// The picture artwork, drawn from 16 rows of 16 letters (each a colour), as a
// BITMAPINFOHEADER followed by bottom-up 24-bit rows; loading them as bitmaps.
#include "entry/runtime_bitmaps.h"

#include <cstdint>
#include <iterator>

#include "entry/dll_main.h"
#include "entry/main_state.h"
#include "win/gdi.h"
#include "win/resource.h"

namespace merl {

namespace {

constexpr int kSide = kRuntimeBitmapSide;
constexpr int kRowBytes = kSide * 3;  // already a multiple of 4

// '.' is the transparent pure blue.
win::COLORREF colourOf(char c) {
  switch (c) {
    case 'k': return win::RGB(0, 0, 0);
    case 'w': return win::RGB(255, 255, 255);
    case 'g': return win::RGB(192, 192, 192);
    case 'd': return win::RGB(128, 128, 128);
    case 'y': return win::RGB(255, 255, 0);
    case 'o': return win::RGB(128, 128, 0);
    case 'r': return win::RGB(255, 0, 0);
    case 'G': return win::RGB(0, 255, 0);
    case 'c': return win::RGB(0, 255, 255);
    case 'n': return win::RGB(0, 0, 128);
    default: return win::RGB(0, 0, 255);
  }
}

using Art = const char* [kSide];

constexpr Art kRemovable = {
    "................", "................", "..kkkkkkkkkkkk..", "..kdddddddddwk..", "..kdkkkkkkkdwk..",
    "..kdkwwwwwkdwk..", "..kdkwwwwwkdwk..", "..kdkkkkkkkdwk..", "..kddddddddddk..", "..kddkkkkkkddk..",
    "..kddkgggkkddk..", "..kddkgggkkddk..", "..kddkkkkkkddk..", "..kkkkkkkkkkkk..", "................",
    "................"};
constexpr Art kFixed = {
    "................", "................", "................", "................", "................",
    "..kkkkkkkkkkkk..", ".kggggggggggggk.", ".kwwwwwwwwwwwwk.", ".kggggggggggGgk.", ".kddddddddddddk.",
    "..kkkkkkkkkkkk..", "................", "................", "................", "................",
    "................"};
constexpr Art kRemote = {
    "................", "................", "................", "..kkkkkkkkkkkk..", ".kggggggggggggk.",
    ".kwwwwwwwwwwwwk.", ".kggggggggggGgk.", ".kddddddddddddk.", "..kkkkkkkkkkkk..", ".......kk.......",
    ".......kk.......", "..kkkkkkkkkkkk..", "................", "................", "................",
    "................"};
constexpr Art kCdRom = {
    "................", "................", ".....kkkkkk.....", "....kwwwwwwk....", "...kwwcwwwwwk...",
    "..kwwcwwwwwwwk..", "..kwcwwkkwwwwk..", "..kwwwk..kwwwk..", "..kwwwk..kwwwk..", "..kwwwwkkwwcwk..",
    "..kwwwwwwwcwwk..", "...kwwwwwcwwk...", "....kwwwwwwk....", ".....kkkkkk.....", "................",
    "................"};
constexpr Art kRamDisk = {
    "................", "................", "................", "................", "..kkkkkkkkkkkk..",
    "..kGGGGGGGGGGk..", "..kGkkGkkGkkGk..", "..kGkkGkkGkkGk..", "..kGGGGGGGGGGk..", "..kkkkkkkkkkkk..",
    "...k.k.k.k.k....", "...k.k.k.k.k....", "................", "................", "................",
    "................"};
constexpr Art kFolder = {
    "................", "................", "................", "..kkkkk.........", ".kyyyyyk........",
    ".kyyyyyykkkkkkk.", ".kyyyyyyyyyyyyko", ".kyyyyyyyyyyyyko", ".kyyyyyyyyyyyyko", ".kyyyyyyyyyyyyko",
    ".kyyyyyyyyyyyyko", ".kyyyyyyyyyyyyko", ".kkkkkkkkkkkkkko", "..oooooooooooooo", "................",
    "................"};
constexpr Art kOpenFolder = {
    "................", "................", "................", "..kkkkk.........", ".kwwwwwk........",
    ".kwyyyywkkkkkk..", ".kwyyyyyyyyyyk..", ".kwyykkkkkkkkkkk", ".kwykyyyyyyyyyok", ".kwkyyyyyyyyyok.",
    ".kkyyyyyyyyyok..", ".kyyyyyyyyyok...", ".kkkkkkkkkkk....", "................", "................",
    "................"};
constexpr Art kCurrentFolder = {
    "................", "................", "................", "..kkkkk.........", ".kwwwwwk........",
    ".kwccccwkkkkkk..", ".kwcccccccccck..", ".kwcckkkkkkkkkkk", ".kwckccccccccck.", ".kwkcccccccccnk.",
    ".kkcccccccccnk..", ".kcccccccccnk...", ".kkkkkkkkkkk....", "................", "................",
    "................"};

const Art* artOf(int id) {
  switch (id) {
    case 2: return &kRemovable;
    case 3: return &kFixed;
    case 4: return &kRemote;
    case 5: return &kCdRom;
    case 6: return &kRamDisk;
    case 10: return &kFolder;
    case 11: return &kOpenFolder;
    case 12: return &kCurrentFolder;
    default: return nullptr;
  }
}

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
  const Art* art = artOf(id);
  for (int row = kSide - 1; row >= 0; --row)
    for (int x = 0; x < kSide; ++x) {
      win::COLORREF c = art ? colourOf((*art)[row][x]) : win::RGB(0x80, 0x80, 0x80);
      dib.push_back(static_cast<char>(win::GetBValue(c)));
      dib.push_back(static_cast<char>(win::GetGValue(c)));
      dib.push_back(static_cast<char>(win::GetRValue(c)));
    }
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

win::HBITMAP runtimeBitmap(int id) {
  const auto& bitmaps = mainState().bitmaps;
  for (std::size_t i = 0; i < std::size(kRuntimeBitmapIds) && i < bitmaps.size(); ++i)
    if (kRuntimeBitmapIds[i] == id) return bitmaps[i];
  return nullptr;
}

}  // namespace merl
