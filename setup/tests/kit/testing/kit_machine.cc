// The ctest helper: files of the kit's machine and the stand-in's child run.
#include "kit_machine.h"

#include <gtest/gtest.h>

#include "layout_report.h"
#include "platform_testing/child_process.h"
#include "win/path.h"

namespace merl_kit {

namespace {

constexpr int kStandinTimeoutMs = 120000;

std::string withKitLines(const std::string& ini) {
  return ini + "\n[ui]\ntranscript = $STATE/transcript.jsonl\n[doubles]\nconfig = $STATE/doubles.ini\n"
               "log = $STATE/doubles.log\n";
}

std::string text(const merl_asm::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::vector<JsonValue> matching(std::vector<JsonValue> lines, std::string_view key, std::string_view value,
                                std::string_view key2 = "", std::string_view value2 = "") {
  std::vector<JsonValue> out;
  for (auto& l : lines)
    if (l[key].text() == value && (key2.empty() || l[key2].text() == value2)) out.push_back(std::move(l));
  return out;
}

}  // namespace

std::string doubleFile(Double which) {
  switch (which) {
    case Double::Hook: return MERL_KIT_HOOK_DOUBLE;
    case Double::Progress: return MERL_KIT_PROGRESS_DOUBLE;
    case Double::Internet: return MERL_KIT_INTERNET_DOUBLE;
    case Double::Ismif: return MERL_KIT_ISMIF_DOUBLE;
    case Double::Ctl3d: return MERL_KIT_CTL3D_DOUBLE;
    case Double::Video: return MERL_KIT_VIDEO_DOUBLE;
    case Double::Admin: return MERL_KIT_ADMIN_DOUBLE;
    case Double::Action: return MERL_KIT_ACTION_DOUBLE;
    case Double::Probe: return MERL_KIT_PROBE;
    case Double::Ole2: return MERL_KIT_OLE2_DOUBLE;
    case Double::Oc25: return MERL_KIT_OC25_DOUBLE;
    case Double::Regserver: return MERL_KIT_REGSERVER_DOUBLE;
  }
  return "";
}

std::string standinFile() { return MERL_KIT_STANDIN; }
std::string runtimeFile() { return MERL_KIT_RUNTIME; }

KitMachine::KitMachine(const std::string& ini) : machine_(withKitLines(ini)) {}

void KitMachine::setConfig(const std::string& text) { win_testing::TestMachine::writeText(configFile(), text); }

const merl_asm::Assembly& KitMachine::assemble(const std::string& source, const std::string& baseDir) {
  auto result = merl_asm::assembleSource(source, "script.mas", baseDir.empty() ? stateDir() : baseDir);
  EXPECT_TRUE(result.ok) << result.error;
  assembly_ = result.assembly;
  win_testing::TestMachine::writeText(imageFile(), text(assembly_.image));
  win_testing::TestMachine::writeText(installFile(), text(assembly_.installFile));
  win_testing::TestMachine::writeText(layoutFile(), merl_asm::layoutJson(assembly_.layout));
  return assembly_;
}

void KitMachine::install(const std::string& hostFile, const std::string& windowsPath) {
  std::string target = hostPath(windowsPath);
  ASSERT_FALSE(target.empty()) << windowsPath;
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ec);
  std::filesystem::copy_file(hostFile, target, std::filesystem::copy_options::overwrite_existing, ec);
  ASSERT_FALSE(ec) << hostFile << " -> " << target << ": " << ec.message();
}

StandinResult KitMachine::run(const std::vector<std::string>& options, const std::string& commandLine) {
  std::vector<std::string> args = {"--image", imageFile(), "--layout", layoutFile(), "--install-file", installFile()};
  args.insert(args.end(), options.begin(), options.end());
  if (!commandLine.empty()) {
    args.push_back("--");
    args.push_back(commandLine);
  }
  platform_testing::ChildProcess child(standinFile(), stateDir(), {{"IDS_PLATFORM_DIR", stateDir()}, {"TZ", "UTC"}},
                                       args);
  StandinResult r;
  r.status = child.waitExit(kStandinTimeoutMs);
  r.out = child.stdoutText();
  r.err = child.stderrText();
  std::size_t end = r.out.find_last_not_of('\n');
  if (end != std::string::npos) {
    std::size_t start = r.out.rfind('\n', end);
    start = start == std::string::npos ? 0 : start + 1;
    r.line = parseJson(std::string_view(r.out).substr(start, end + 1 - start)).value_or(JsonValue());
  }
  return r;
}

std::string KitMachine::hostPath(const std::string& windowsPath) const {
  auto mapped = win::mapToHost(windowsPath);
  return mapped ? mapped->host : "";
}

std::string KitMachine::fileText(const std::string& windowsPath) const {
  return win_testing::TestMachine::readText(hostPath(windowsPath));
}

std::vector<JsonValue> KitMachine::transcript() const {
  return parseJsonLines(win_testing::TestMachine::readText(transcriptFile()));
}

std::vector<JsonValue> KitMachine::transcript(std::string_view event) const {
  return matching(transcript(), "ev", event);
}

std::vector<JsonValue> KitMachine::doubleLog() const {
  return parseJsonLines(win_testing::TestMachine::readText(logFile()));
}

std::vector<JsonValue> KitMachine::doubleLog(std::string_view name, std::string_view call) const {
  return call.empty() ? matching(doubleLog(), "double", name) : matching(doubleLog(), "double", name, "call", call);
}

}  // namespace merl_kit
