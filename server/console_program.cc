// The console program cvlm: serves consoles on its main thread.
#include <cstdio>
#include <csignal>
#include <string>

#include "platform/event_log.h"
#include "server/connection_thread.h"
#include "server/constants.h"
#include "server/log.h"
#include "server/programs.h"
#include "server/ui_socket.h"

namespace cvlm {

int runConsoleProgram(const ListenerConfig& config) {
  std::signal(SIGPIPE, SIG_IGN);
  registerEventSource();
  setLogFileName(kLogFileName);
  setLogSwitchFromMarker();
  UISocket listener(config, connectionThreadStarter(config));
  std::string started = std::string("IDS Lumarel Started. Version: ") + kVersionText;
  reportEvent(platform::kEventInformation, started);
  writeLog(started);
  std::printf("IDS Lumarel started .\nVersion: %s\n", kVersionText);
  std::fflush(stdout);
  listener.runServer();
  reportEvent(platform::kEventInformation, "IDS Lumarel exit.");
  writeLog("IDS Lumarel exit.");
  return 1;
}

}  // namespace cvlm
