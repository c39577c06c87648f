// Event log and text log of the management server.
#include "server/log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/clock.h"
#include "platform/event_log.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "platform/registry.h"
#include "server/constants.h"

namespace cvlm {

namespace {
std::atomic<int> logSwitchValue{0};
std::mutex logNameMutex;
std::string logName;

std::string currentLogName() {
  std::lock_guard<std::mutex> lock(logNameMutex);
  return logName;
}
}  // namespace

void registerEventSource() {
  auto key = platform::RegistryKey::create(platform::RegRoot::LocalMachine, kEventSourceKey);
  if (!key) {
    std::printf("Could not create the registry key.\n");
    const platform::RegError& error = platform::registryLastError();
    std::printf("Registry error %ld: %s\n", error.code, error.text.c_str());
    return;
  }
  std::string dir = platform::currentDirectory().substr(0, 260);
  if (!key->setString("EventMessageFile", dir + "/cvlm.exe", platform::REG_EXPAND_SZ))
    std::printf("Could not set the event message file.\n");
  if (!key->setDword("TypesSupported", 7)) std::printf("Could not set the supported types.\n");
}

void reportEvent(int type, const std::string& text) {
  platform::EventSource source(kEventSourceName);
  if (source.valid()) source.report(type, text);
}

void writeLog(const std::string& text) {
  if (logSwitchValue.load() == 0) return;
  std::string name = currentLogName();
  platform::File file = platform::File::openAppend(name);
  if (!file.isOpen()) {
    reportEvent(platform::kEventInformation, "LogFile Can't Open!");
    logSwitchValue = 0;
    return;
  }
  std::string line = "[ " + platform::ctimeText(std::time(nullptr)) + " ] ";
  line.append(text, 0, kLogMessageMax);
  line += '\n';
  // One write per line: parallel requests never interleave inside a line.
  file.write(line);
}

void writeLogf(const char* format, ...) {
  if (logSwitchValue.load() == 0) return;
  char message[kLogMessageMax + 1];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);
  writeLog(message);
}

void setLogFileName(const std::string& name) {
  std::lock_guard<std::mutex> lock(logNameMutex);
  logName = name;
}

void setLogSwitchFromMarker() {
  logSwitchValue = platform::File::openForRead(kLogMarkerFile).isOpen() ? 1 : 0;
}

bool logSwitch() { return logSwitchValue.load() != 0; }

}  // namespace cvlm
