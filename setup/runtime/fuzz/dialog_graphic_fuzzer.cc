// libFuzzer target: any bytes as a dialog graphic (prefix, header, colours,
// bits), painted in picture and box modes into a memory DC of the canvas.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "run.h"
#include "ui/dialog_bitmaps.h"
#include "win_testing/test_machine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static auto* machine = new win_testing::TestMachine("[system]\nbpp = 32\n");
  static auto* run = new merl::RunScope();
  static win::HDC dc = [] {
    win::HDC memory = win::CreateCompatibleDC(nullptr);
    win::SelectObject(memory, win::CreateBitmap(64, 64, 1, 32, nullptr));
    return memory;
  }();
  (void)machine, (void)run;
  for (int mode = 0; mode < 4; ++mode) {
    merl::DialogBitmapPlace place;
    place.x = 1;
    place.y = 1;
    place.width = size > 0 ? data[0] % 40 : 10;
    place.height = size > 1 ? data[1] % 40 : 10;
    place.boxMode = (mode & 1) != 0;
    place.proportion = (mode & 2) != 0;
    place.frame = place.boxMode;
    merl::PaintDialogBitmap(dc, data, size, place, nullptr);
  }
  return 0;
}
