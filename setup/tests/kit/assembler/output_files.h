// Writes the assembler's outputs all or none: each goes to a temporary file
// beside its target and is renamed into place only once all are written.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace merl_asm {

struct OutputFile {
  std::string path;
  std::string_view data;
};

// False, with a message in error, when an output could not be written; no
// output is then left in place.
bool writeOutputs(const std::vector<OutputFile>& outputs, std::string& error);

}  // namespace merl_asm
