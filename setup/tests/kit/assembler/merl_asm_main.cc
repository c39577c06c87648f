// merl_asm SOURCE.mas --image OUT.img [--install-file OUT.bin] [--layout OUT.json]
// Exit 0 when every output was written, 1 for an error in the source or an
// output that could not be written (no output is left), 2 for a bad command line.
#include <cstdio>
#include <string>

#include "assembler.h"
#include "constants.h"
#include "output_files.h"
#include "platform/files.h"
#include "platform/paths.h"

namespace {

struct Options {
  std::string source, image, installFile, layout;
};

int usage(const std::string& problem) {
  std::fprintf(stderr, "merl_asm: %s\nusage: merl_asm SOURCE.mas --image OUT.img [--install-file OUT.bin] [--layout OUT.json]\n",
               problem.c_str());
  return merl_asm::kExitUsage;
}

// Empty text when the options are sound, else what is wrong.
std::string parseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    std::string* target = arg == "--image"          ? &options.image
                          : arg == "--install-file" ? &options.installFile
                          : arg == "--layout"       ? &options.layout
                                                    : nullptr;
    if (target) {
      if (i + 1 >= argc) return arg + " needs a file name";
      if (!target->empty()) return arg + " given twice";
      *target = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (options.source.empty()) {
      options.source = arg;
    } else {
      return "more than one source file";
    }
  }
  if (options.source.empty()) return "no source file";
  if (options.image.empty()) return "--image is required";
  if (options.image == options.installFile || options.image == options.layout ||
      (!options.layout.empty() && options.layout == options.installFile))
    return "each output needs its own file name";
  return "";
}

std::string_view asText(const merl_asm::Bytes& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string problem = parseOptions(argc, argv, options);
  if (!problem.empty()) return usage(problem);

  std::string source;
  if (!platform::readWholeFile(options.source, source)) {
    std::fprintf(stderr, "merl_asm: cannot read %s\n", options.source.c_str());
    return merl_asm::kExitError;
  }
  merl_asm::AssemblyResult result =
      merl_asm::assembleSource(source, options.source, platform::directoryOf(options.source));
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.error.c_str());
    return merl_asm::kExitError;
  }

  std::string layout = merl_asm::layoutJson(result.assembly.layout);
  std::vector<merl_asm::OutputFile> outputs{{options.image, asText(result.assembly.image)}};
  if (!options.installFile.empty()) outputs.push_back({options.installFile, asText(result.assembly.installFile)});
  if (!options.layout.empty()) outputs.push_back({options.layout, layout});
  std::string error;
  if (!merl_asm::writeOutputs(outputs, error)) {
    std::fprintf(stderr, "merl_asm: %s\n", error.c_str());
    return merl_asm::kExitError;
  }
  return 0;
}
