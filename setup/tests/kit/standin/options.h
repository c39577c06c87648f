// The stand-in's command line: parsed whole before anything else happens, so a
// bad option ends the run before the machine or the runtime is touched.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace merl_standin {

struct ErrorByteAt {
  std::uint32_t call = 0;  // 1-based copy-callback call
  std::uint8_t value = 0;
};

struct StandinOptions {
  std::string image;        // host path of the script image
  std::string layout;       // host path of the assembler's layout report
  std::string runtime;      // host path of the runtime ("" = the one built with the stand-in)
  std::string module;       // Windows module path (the installation file)
  std::string installFile;  // host file copied to the module path first ("" = none)
  bool silent = false;
  std::uint32_t options = 0;
  int screenWidth = 0;
  int screenHeight = 0;
  std::uint32_t dataOffset = 0;
  std::optional<std::uint32_t> readErrorAt;  // offset in the installation data
  std::optional<std::uint32_t> abortAt;      // copy-callback call
  std::optional<ErrorByteAt> errorByteAt;
  std::optional<std::string> ddeAfter;       // service to connect to after the call
  std::string commandLine;                   // MerlMain's command line
};

// The options of argv[1..]; nullopt with *error saying what is wrong.
std::optional<StandinOptions> parseOptions(const std::vector<std::string>& args, std::string* error);

// A number in decimal or 0x-prefixed hex that fits 32 bits.
std::optional<std::uint32_t> parseNumber(const std::string& text);

}  // namespace merl_standin
