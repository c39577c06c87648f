#include "start/settings.h"

#include <cstdlib>

#include "string_table.h"
#include "win/profile.h"

namespace remvex {

namespace {

int integer(const char* key, int fallback, const std::string& iniPath) {
  return static_cast<int>(win::GetPrivateProfileInt("Settings", key, fallback, iniPath.c_str()));
}

std::string text(const char* key, const std::string& fallback, const std::string& iniPath) {
  char buffer[256] = {};
  win::GetPrivateProfileString("Settings", key, fallback.c_str(), buffer, sizeof buffer, iniPath.c_str());
  return buffer;
}

}  // namespace

StartSettings ReadStartSettings(const std::string& iniPath) {
  StartSettings s;
  s.gradientStart = {integer("Start Red", 0, iniPath), integer("Start Green", 0, iniPath),
                     integer("Start Blue", 255, iniPath)};
  const Colour end{integer("End Red", 0, iniPath), integer("End Green", 0, iniPath),
                   integer("End Blue", 0, iniPath)};
  s.gradientDelta = {end.red - s.gradientStart.red, end.green - s.gradientStart.green,
                     end.blue - s.gradientStart.blue};
  s.noBackground = integer("No Background", 0, iniPath) != 0;
  s.titleFont = text("TitleFont", LoadMessage(iniPath, 71), iniPath);
  s.fontCharacterSet = integer("Font Character Set", std::atoi(LoadMessage(iniPath, 75).c_str()), iniPath);
  return s;
}

}  // namespace remvex
