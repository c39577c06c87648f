// The [Settings] keys of the program's INI file, read once at start-up.
#pragma once

#include <string>

namespace remvex {

struct Colour {
  int red = 0, green = 0, blue = 0;
};

struct StartSettings {
  Colour gradientStart{0, 0, 255};
  Colour gradientDelta{0, 0, -255};  // end minus start, per channel
  bool noBackground = false;
  std::string titleFont;  // message 71 by default
  int fontCharacterSet = 0;  // the number in message 75 by default
};

StartSettings ReadStartSettings(const std::string& iniPath);

}  // namespace remvex
