// Both dialogs are WS_POPUP, WS_VISIBLE, WS_CAPTION, WS_SYSMENU and
// DS_MODALFRAME in MS Sans Serif 8; the bitmap and the icon are plain artwork.
#include "wizard/wizard_resources.h"

#include <cstdint>

#include "constants.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "win/window.h"

namespace remvex {

namespace {

using win::DWORD;

constexpr DWORD kDialogStyle =
    win::WS_POPUP | win::WS_VISIBLE | win::WS_CAPTION | win::WS_SYSMENU | win::DS_MODALFRAME | win::DS_SETFONT;
constexpr DWORD kChild = win::WS_CHILD | win::WS_VISIBLE;
constexpr DWORD kText = kChild | win::SS_LEFT | win::SS_NOPREFIX;
constexpr DWORD kButton = kChild | win::WS_TABSTOP | win::BS_PUSHBUTTON;
constexpr DWORD kDefault = kChild | win::WS_TABSTOP | win::BS_DEFPUSHBUTTON;
constexpr DWORD kRadio = kChild | win::WS_TABSTOP | win::BS_AUTORADIOBUTTON;
constexpr win::WORD kNoId = 0xFFFF;

void put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

// BITMAPINFOHEADER of a 4-bit DIB (height doubled for an icon's image and mask).
void header(std::string& out, int width, int height, std::uint32_t imageBytes) {
  put32(out, 40);
  put32(out, static_cast<std::uint32_t>(width));
  put32(out, static_cast<std::uint32_t>(height));
  put16(out, 1);
  put16(out, 4);
  put32(out, 0);
  put32(out, imageBytes);
  put32(out, 0);
  put32(out, 0);
  put32(out, 16);
  put32(out, 0);
}

// The 16 standard colours, blue-green-red-reserved.
void colours(std::string& out) {
  static const std::uint32_t rgb[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                        0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                        0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
  for (std::uint32_t c : rgb) put32(out, c);
}

}  // namespace

std::string WizardDialogTemplate() {
  win::DialogTemplateBuilder b(kDialogStyle, 30, 30, 267, 205);
  b.font(8, "MS Sans Serif")
      .control(win::kStaticClassOrdinal, "", 1005, kText, 85, 6, 172, 30)
      .control(win::kStaticClassOrdinal, "", 1002, kText, 85, 39, 171, 40)
      .control(win::kStaticClassOrdinal, "", 1004, kText, 85, 80, 171, 33)
      .control(win::kListBoxClassOrdinal, "", 1003,
               kChild | win::WS_TABSTOP | win::LBS_MULTIPLESEL | win::LBS_NOTIFY | win::WS_VSCROLL | win::WS_BORDER |
                   win::LBS_NOINTEGRALHEIGHT,
               84, 79, 172, 71)
      .control(win::kStaticClassOrdinal, "", 3830, kChild | win::SS_BLACKRECT, 85, 113, 165, 14)
      .control(win::kButtonClassOrdinal, "", 1000, kRadio | win::WS_GROUP, 145, 116, 105, 9)
      .control(win::kButtonClassOrdinal, "", 1001, kRadio, 145, 128, 106, 9)
      .control(win::kButtonClassOrdinal, "Select &All", 3, kButton, 95, 154, 58, 14)
      .control(win::kButtonClassOrdinal, "&Select None", 77, kButton, 187, 154, 58, 14)
      .control(win::kStaticClassOrdinal, "", kNoId, kChild | win::SS_WHITEFRAME, 7, 177, 251, 1)
      .control(win::kButtonClassOrdinal, "< &Back", 5, kButton, 93, 184, 50, 14)
      .control(win::kButtonClassOrdinal, "&Next >", 1, kDefault, 143, 184, 50, 14)
      .control(win::kButtonClassOrdinal, "Cancel", 2, kButton, 208, 184, 50, 14);
  return b.bytes();
}

std::string SharedDialogTemplate() {
  win::DialogTemplateBuilder b(kDialogStyle, 50, 50, 207, 108);
  b.font(8, "MS Sans Serif")
      .control(win::kStaticClassOrdinal, "", 1002, kText, 7, 3, 194, 81)
      .control(win::kButtonClassOrdinal, "&Yes", 1007, kButton, 11, 90, 50, 14)
      .control(win::kButtonClassOrdinal, "&No", 1006, kButton, 78, 90, 50, 14)
      .control(win::kButtonClassOrdinal, "No to &All", 1, kDefault, 145, 90, 50, 14);
  return b.bytes();
}

std::string WizardBitmapBytes() {
  constexpr int kRow = ((kWizardBitmapWidth * 4 + 31) / 32) * 4;
  std::string dib;
  header(dib, kWizardBitmapWidth, kWizardBitmapHeight, kRow * kWizardBitmapHeight);
  colours(dib);
  // Horizontal stripes from dark blue at the bottom to white at the top.
  static const unsigned char shades[] = {1, 9, 3, 7, 15};
  for (int y = 0; y < kWizardBitmapHeight; ++y) {
    const unsigned char index = shades[y * 5 / kWizardBitmapHeight];
    dib.append(static_cast<std::size_t>(kRow), static_cast<char>(index << 4 | index));
  }
  return dib;
}

std::string IconImageBytes() {
  constexpr int kSide = 32;
  std::string image;
  header(image, kSide, kSide * 2, 0);
  colours(image);
  for (int y = 0; y < kSide; ++y) image.append(kSide / 2, static_cast<char>(0x99));  // bright blue
  image.append(kSide * kSide / 8, '\0');                                              // the mask: all opaque
  return image;
}

std::string IconGroupBytes() {
  std::string group;
  put16(group, 0);
  put16(group, 1);  // icons
  put16(group, 1);  // one image
  group.push_back(32);
  group.push_back(32);
  group.push_back(16);
  group.push_back(0);
  put16(group, 1);
  put16(group, 4);
  put32(group, static_cast<std::uint32_t>(IconImageBytes().size()));
  put16(group, 1);  // RT_ICON 1
  return group;
}

}  // namespace remvex
