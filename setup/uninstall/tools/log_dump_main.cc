// remvex_log_dump LOG [TITLE]: reads an installation log on the machine of
// IDS_PLATFORM_DIR as the uninstaller does and prints the parsed state.
// Exit status: the reader's result (0 read, 1 refused), 2 on bad usage.
#include <cstdio>
#include <string>

#include "log/log_dump.h"
#include "log/log_reader.h"
#include "start/platform_info.h"
#include "win/machine.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: remvex_log_dump LOG [TITLE]\n");
    return 2;
  }
  remvex::PlatformInfo platform = remvex::DetectPlatform();
  remvex::ReaderSettings settings;
  settings.platform = platform.platform;
  settings.newShell = platform.newShell;
  settings.titleArgument = argc == 3;
  remvex::LogState state;
  int result = remvex::ReadInstallLog(argv[1], settings, state);
  std::fputs(remvex::DumpLogState(state).c_str(), stdout);
  return result;
}
