// merl_probe: a program for the runtime's program starts. It logs its start
// (argv, current directory, command line, environment view) to the doubles'
// log, writes the same as "key=value" lines to the host file [probe] out when
// given, and exits with [probe] exit (one entry per start).
#include <cstdlib>
#include <string>
#include <vector>

#include "double_support.h"
#include "platform/files.h"
#include "win/constants.h"
#include "win/files.h"
#include "win/process.h"

namespace {

// The names of the environment view the layer handed over ("NAME=value" lines), or the
// view's standard names for a program started from the host shell.
std::vector<std::string> environmentNames() {
  std::vector<std::string> names;
  const char* view = std::getenv(win::kEnvironmentVariable);
  std::string text = view ? view : "";
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::size_t equals = text.find('=', start);
    if (equals != std::string::npos && equals > start && equals < end) names.push_back(text.substr(start, equals - start));
    start = end + 1;
  }
  if (names.empty()) names = {"COMSPEC", "PATH"};
  return names;
}

std::string variable(const std::string& name) {
  std::vector<char> buffer(1u << 16);
  win::DWORD n = win::GetEnvironmentVariable(name.c_str(), buffer.data(), static_cast<win::DWORD>(buffer.size()));
  return n > 0 && n < buffer.size() ? std::string(buffer.data(), n) : std::string();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace merl_doubles;
  int index = callIndex("probe", "start");
  logLoad("probe", nullptr);
  char cwd[win::MAX_PATH] = {};
  win::DWORD length = win::GetCurrentDirectory(sizeof cwd, cwd);
  std::string directory(cwd, length < sizeof cwd ? length : 0);
  std::string report;
  win::JsonArray args, env;
  for (int i = 0; i < argc; ++i) {
    args.add(argv[i]);
    report += "argv=" + std::string(argv[i]) + "\n";
  }
  report += "cwd=" + directory + "\ncmdline=" + std::string(win::GetCommandLine()) + "\n";
  for (const auto& name : environmentNames()) {
    std::string line = name + "=" + variable(name);
    env.add(line);
    report += "env:" + line + "\n";
  }
  logCall("probe", "start", win::JsonObject()
                                .add("argv", args)
                                .add("cwd", directory)
                                .add("cmdline", win::GetCommandLine())
                                .add("env", env));
  std::string out = configValue("probe", "out");
  if (!out.empty()) platform::writeFileAtomic(out, report, out + ".tmp");
  win::ExitProcess(static_cast<win::UINT>(numberOf(scripted("probe", "exit", index), 0)));
}
