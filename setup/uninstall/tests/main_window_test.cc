// The background window in this process: the 96 gradient bands in the drawing
// trace (RGB brushes, or palette indexes from 8 bits per pixel on), the clamped
// channels, the window itself and the title font.
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "program_run.h"
#include "start/main_window.h"
#include "win/gdi.h"
#include "win/library.h"
#include "win/message.h"
#include "win/window.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

std::string transcript(const TestMachine& m) { return TestMachine::readText(m.stateDir() + "/t.jsonl"); }

// Paints a main window whose client area is 640 x bottom and gives the PatBlt lines.
std::vector<std::string> paintedBands(TestMachine& m, remvex::StartSettings settings, int bottom) {
  remvex::Screen() = {};
  win::HINSTANCE instance = win::GetModuleHandle(nullptr);
  remvex::CreateTitleFont(instance, settings);
  EXPECT_NE(remvex::RegisterMainClass(instance), 0);
  EXPECT_EQ(remvex::CreateMainWindow(instance, 0, nullptr, false), 1);
  win::HWND window = remvex::MainWindow();
  // A 640 x 480 window with a caption and a thick frame has a client area 19 + 8 and 8 smaller.
  win::MoveWindow(window, 0, 0, 648, bottom + 27, win::FALSE);
  win::ShowWindow(window, 1);
  win::InvalidateRect(window, nullptr, win::TRUE);
  win::UpdateWindow(window);
  std::vector<std::string> bands = remvex_tests::transcriptLines(m, {"\"call\":\"PatBlt\""});
  win::DestroyWindow(window);
  remvex::FreeTitleFont();
  return bands;
}

std::string band(int top, int bottom, const std::string& brush) {
  return "\"rect\":[0," + std::to_string(top) + ",640," + std::to_string(bottom) + "],\"rop\":\"0x00F00021\",\"brush\":\"" +
         brush + "\"";
}

TEST(MainWindowTest, GradientBandsInTheDrawingTrace) {
  struct Case {
    const char* name;
    int bpp;
    remvex::Colour start, delta;
    std::vector<std::pair<int, std::string>> bands;  // band number, its expected line part
  };
  const Case cases[] = {
      {"blue to black at 4 bits",
       4,
       {0, 0, 255},
       {0, 0, -255},
       {{0, band(-1, 5, "#0000ff")}, {1, band(5, 10, "#0000fd")}, {48, band(240, 245, "#00007f")},
        {95, band(475, 480, "#000000")}}},
      {"a start above 255 and an end below 0 clamp",
       4,
       {300, 0, 0},
       {-320, 0, 0},
       {{0, band(-1, 5, "#ff0000")}, {95, band(475, 480, "#000000")}}},
      {"palette indexes at 8 bits",
       8,
       {0, 0, 255},
       {0, 0, -255},
       {{0, band(-1, 5, "palette:0")}, {48, band(240, 245, "palette:48")}, {95, band(475, 480, "palette:95")}}},
      {"palette indexes at 24 bits",
       24,
       {0, 0, 255},
       {0, 0, -255},
       {{0, band(-1, 5, "palette:0")}, {48, band(240, 245, "palette:48")}, {95, band(475, 480, "palette:95")}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(std::string(remvex_tests::kUiIni) + "[system]\nbpp = " + std::to_string(c.bpp) + "\n");
    remvex::StartSettings settings;
    settings.gradientStart = c.start;
    settings.gradientDelta = c.delta;
    settings.titleFont = "Times New Roman";
    const std::vector<std::string> bands = paintedBands(m, settings, 480);
    ASSERT_EQ(bands.size(), 96u) << transcript(m);
    for (const auto& [b, part] : c.bands) EXPECT_NE(bands[b].find(part), std::string::npos) << b << ": " << bands[b];
    const bool palette = transcript(m).find("\"call\":\"CreatePalette\"") != std::string::npos;
    EXPECT_EQ(palette, c.bpp >= 8);
  }
}

TEST(MainWindowTest, PaletteHoldsTheBandColours) {
  TestMachine m(remvex_tests::kUiIni);
  remvex::Screen() = {};
  remvex::StartSettings settings;
  settings.gradientStart = {300, 10, 255};
  settings.gradientDelta = {-300, 0, -255};
  remvex::CreateTitleFont(nullptr, settings);
  win::PALETTEENTRY entries[96] = {};
  ASSERT_EQ(win::GetPaletteEntries(remvex::Screen().palette, 0, 96, entries), 96u);
  for (int b : {0, 1, 48, 95}) {
    EXPECT_EQ(entries[b].peRed, remvex::BandChannel(300, -300, b)) << b;
    EXPECT_EQ(entries[b].peGreen, 10) << b;
    EXPECT_EQ(entries[b].peBlue, remvex::BandChannel(255, -255, b)) << b;
    EXPECT_EQ(entries[b].peFlags, 0) << b;
  }
  EXPECT_EQ(entries[0].peRed, 255);
  EXPECT_EQ(entries[48].peBlue, 127);
  remvex::FreeTitleFont();
}

TEST(MainWindowTest, PaletteMessagesRealiseTheGradientAgain) {
  TestMachine m(remvex_tests::kUiIni);
  remvex::Screen() = {};
  win::HINSTANCE instance = win::GetModuleHandle(nullptr);
  remvex::CreateTitleFont(instance, remvex::StartSettings{});
  ASSERT_NE(remvex::RegisterMainClass(instance), 0);
  ASSERT_EQ(remvex::CreateMainWindow(instance, 0, nullptr, false), 1);
  win::HWND window = remvex::MainWindow();
  // Another program's palette takes the system palette.
  win::HDC screen = win::GetDC(nullptr);
  unsigned char storage[sizeof(win::LOGPALETTE) + 95 * sizeof(win::PALETTEENTRY)] = {};
  auto* other = reinterpret_cast<win::LOGPALETTE*>(storage);
  other->palVersion = 0x300;
  other->palNumEntries = 96;
  for (auto& e : std::span(other->palPalEntry, 96)) e = {200, 200, 200, 0};
  win::HPALETTE foreign = win::CreatePalette(other);
  win::HPALETTE previous = win::SelectPalette(screen, foreign, win::FALSE);
  win::RealizePalette(screen);
  win::SelectPalette(screen, previous, win::FALSE);
  win::DeleteObject(foreign);
  win::ReleaseDC(nullptr, screen);
  EXPECT_EQ(win::SendMessage(window, win::WM_PALETTECHANGED, reinterpret_cast<win::WPARAM>(window), 0), 0);
  EXPECT_EQ(win::SendMessage(window, win::WM_PALETTECHANGED, 0x12345, 0), 96);
  EXPECT_EQ(win::SendMessage(window, win::WM_QUERYNEWPALETTE, 0, 0), 0);  // already realised
  EXPECT_EQ(remvex_tests::transcriptLines(m, {"\"ev\":\"invalidate\"", "\"hwnd\":65536"}).size(), 1u);
  EXPECT_EQ(win::SendMessage(window, win::WM_ERASEBKGND, 0, 0), 1);
  win::DestroyWindow(window);
  remvex::FreeTitleFont();
}

TEST(MainWindowTest, BandChannelsFollowIntegerArithmetic) {
  struct Case {
    int start, delta, band, channel;
  };
  const Case cases[] = {
      {0, 255, 0, 0},     {255, -255, 48, 127}, {255, -255, 95, 0}, {300, 0, 10, 255},
      {0, -20, 95, 0},    {10, 100, 95, 110},   {0, 255, 1, 2},
  };
  for (const Case& c : cases)
    EXPECT_EQ(remvex::BandChannel(c.start, c.delta, c.band), c.channel) << c.start << " " << c.delta << " " << c.band;
}

TEST(MainWindowTest, WindowClassTitleAndShowing) {
  struct Case {
    const char* name;
    const char* title;  // nullptr: none given
    bool visible;
    const char* expectedTitle;
  };
  const Case cases[] = {
      {"no title argument, shown", nullptr, true, " "},
      {"title argument, hidden", "My Product", false, "My Product"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(remvex_tests::kUiIni);
    remvex::Screen() = {};
    win::HINSTANCE instance = win::GetModuleHandle(nullptr);
    ASSERT_NE(remvex::RegisterMainClass(instance), 0);
    const std::string title = c.title ? c.title : "";
    ASSERT_EQ(remvex::CreateMainWindow(instance, 0, c.title ? &title : nullptr, c.visible), 1);
    const std::string t = transcript(m);
    EXPECT_NE(t.find("\"class\":\"QDTXUninstall\",\"title\":\" \",\"style\":\"0x00CD0000\",\"rect\":[0,0,640,480]"),
              std::string::npos)
        << t;
    char text[64] = {};
    win::GetWindowText(remvex::MainWindow(), text, sizeof text);
    EXPECT_STREQ(text, c.expectedTitle);
    EXPECT_EQ(win::IsZoomed(remvex::MainWindow()) != 0, c.visible);
    win::DestroyWindow(remvex::MainWindow());
  }
}

TEST(MainWindowTest, TitleFontFromTheSettingsAndTheScreen) {
  struct Case {
    const char* name;
    int dpi;
    const char* face;
    int charSet;
    int height;
  };
  const Case cases[] = {
      {"96 dpi", 96, "Times New Roman", 0, -21},
      {"120 dpi, another face and character set", 120, "Garamond", 238, -27},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m(std::string(remvex_tests::kUiIni) + "logpixelsy = " + std::to_string(c.dpi) +
                  "\n[system]\nscreen = 800x600\n");
    remvex::Screen() = {};
    remvex::StartSettings settings;
    settings.titleFont = c.face;
    settings.fontCharacterSet = c.charSet;
    remvex::CreateTitleFont(nullptr, settings);
    win::LOGFONTA font{};
    ASSERT_EQ(win::GetObject(remvex::Screen().titleFont, sizeof font, &font), static_cast<int>(sizeof font));
    EXPECT_EQ(font.lfHeight, c.height);
    EXPECT_EQ(font.lfWeight, 700);
    EXPECT_EQ(font.lfItalic, 1);
    EXPECT_EQ(font.lfPitchAndFamily, 0x10);
    EXPECT_EQ(font.lfCharSet, c.charSet);
    EXPECT_STREQ(font.lfFaceName, c.face);
    EXPECT_EQ(remvex::Screen().width, 800);
    EXPECT_EQ(remvex::Screen().height, 600);
    remvex::FreeTitleFont();
    EXPECT_EQ(win::gdiObjectCount(), 0u);
  }
}

}  // namespace
