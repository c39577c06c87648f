// libFuzzer target: any bytes as an installation log read by the uninstaller,
// and as its command line and a [Language] override. One scratch machine for
// the whole run; message boxes answer with their default button.
#include <cstddef>
#include <cstdint>
#include <string>

#include "log/log_reader.h"
#include "start/command_line.h"
#include "string_table.h"
#include "win_testing/test_machine.h"

namespace {

// Removed with its state directory when the run ends.
win_testing::TestMachine& scratch() {
  static win_testing::TestMachine machine("[system]\nplatform = nt\n");
  return machine;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto& machine = scratch();
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  machine.makeFile("APP/INSTALL.LOG", bytes);
  remvex::ReaderSettings settings;
  settings.iniPath = "C:\\APP\\REMVEX32.INI";
  remvex::LogState state;
  remvex::ReadInstallLog("C:\\APP\\INSTALL.LOG", settings, state);

  remvex::CommandLine command = remvex::ParseCommandLine(bytes);
  (void)remvex::SplitWords(command.logPath);

  // The first line as an override of message 7 (a "%s" text) and of 76.
  const std::string line = bytes.substr(0, bytes.find_first_of("\r\n"));
  machine.makeFile("APP/REMVEX32.INI", "[Language]\r\nMsg7=" + line + "\r\nMsg76=" + line + "\r\n");
  (void)remvex::FormatMessage1(remvex::LoadMessage(settings.iniPath, 7), bytes);
  return 0;
}
