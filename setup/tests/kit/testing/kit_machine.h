// The ctest helper of the installer test kit: a fresh emulated machine with the
// transcript and the doubles' config and log wired in, the script assembled
// in-process, built doubles copied onto its drives, the stand-in run as a child
// process, and what the run left (result line, INSTALL.LOG, transcript, double
// logs) handed back. Documented in setup/tests/kit/README.md.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assembler.h"
#include "json_reader.h"
#include "win_testing/test_machine.h"

namespace merl_kit {

enum class Double { Hook, Progress, Internet, Ismif, Ctl3d, Video, Admin, Action, Probe, Ole2, Oc25, Regserver };

// Host files of the built programs and libraries.
std::string doubleFile(Double which);
std::string standinFile();
std::string runtimeFile();

struct StandinResult {
  int status = -1;   // exit status; -1 when it did not end within the bound
  std::string out;   // standard output
  std::string err;   // standard error
  JsonValue line;    // the JSON result line (null when there is none)
};

class KitMachine {
 public:
  // A fresh state directory with machine.ini = ini ("$STATE" = the directory) followed by
  // the kit's own lines ([ui] transcript, [doubles] config and log), and the machine over it
  // in this process. ini must not set those three keys itself.
  explicit KitMachine(const std::string& ini = "");

  const std::string& stateDir() const { return machine_.stateDir(); }
  win_testing::TestMachine& machine() { return machine_; }

  // Host paths of the kit's files.
  std::string transcriptFile() const { return stateDir() + "/transcript.jsonl"; }
  std::string configFile() const { return stateDir() + "/doubles.ini"; }
  std::string logFile() const { return stateDir() + "/doubles.log"; }

  // Writes the doubles' config (machine.ini's syntax, a section per double).
  void setConfig(const std::string& text);

  // Assembles source (files it names are relative to baseDir) into the state directory's
  // script.img, install.bin and layout.json; a source error fails the test.
  const merl_asm::Assembly& assemble(const std::string& source, const std::string& baseDir = "");
  const merl_asm::Assembly& assembly() const { return assembly_; }
  std::string imageFile() const { return stateDir() + "/script.img"; }
  std::string layoutFile() const { return stateDir() + "/layout.json"; }
  std::string installFile() const { return stateDir() + "/install.bin"; }

  // Copies a host file, or a built double, to a Windows path of the machine (directories made).
  void install(const std::string& hostFile, const std::string& windowsPath);
  void install(Double which, const std::string& windowsPath) { install(doubleFile(which), windowsPath); }

  // Runs the stand-in on the assembled script: --image, --layout and --install-file, then
  // options, then "--" and the command line when it is not empty.
  StandinResult run(const std::vector<std::string>& options = {}, const std::string& commandLine = "");

  // The host path a Windows path maps to.
  std::string hostPath(const std::string& windowsPath) const;
  // A file's bytes by Windows path ("" when missing).
  std::string fileText(const std::string& windowsPath) const;
  std::string installLog(const std::string& windowsPath = "C:\\APP\\INSTALL.LOG") const { return fileText(windowsPath); }
  // The transcript's lines, and those of one event kind.
  std::vector<JsonValue> transcript() const;
  std::vector<JsonValue> transcript(std::string_view event) const;
  // The doubles' log lines, those of one double, and those of one of its calls.
  std::vector<JsonValue> doubleLog() const;
  std::vector<JsonValue> doubleLog(std::string_view name, std::string_view call = "") const;

 private:
  win_testing::TestMachine machine_;
  merl_asm::Assembly assembly_;
};

}  // namespace merl_kit
