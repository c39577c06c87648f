// Stand-in for the shared "log.ini" reader until it exists: only what the
// mailer needs, line 4 from its sixth character.
#pragma once

#include <cstdio>
#include <string>

namespace halvern {

struct LogIni {
  bool opened = false;
  std::string dataDirectory;
};

inline LogIni readLogIni(const std::string& path) {
  LogIni ini;
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (!f) return ini;
  ini.opened = true;
  std::string line;
  int c = 0;
  for (int n = 0; n < 4; ++n) {
    line.clear();
    while ((c = std::fgetc(f)) != EOF && c != '\n') line.push_back(static_cast<char>(c));
  }
  std::fclose(f);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  ini.dataDirectory = line.size() > 5 ? line.substr(5) : std::string();
  return ini;
}

}  // namespace halvern
