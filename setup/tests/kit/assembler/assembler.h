// Turns the text form of an installation script into its image, the
// installation file and the layout report. The text form is described in
// README.md beside this file.
#pragma once

#include <string>
#include <string_view>

#include "layout_report.h"

namespace merl_asm {

struct Assembly {
  Bytes image;
  Bytes installFile;
  Layout layout;
};

struct AssemblyResult {
  bool ok = false;
  Assembly assembly;
  SourcePos errorPos;
  std::string errorText;
  std::string error;  // "file:line:column: text"
};

// sourceName names the text in error messages; files named by the text are
// taken relative to baseDir.
AssemblyResult assembleSource(std::string_view source, const std::string& sourceName, const std::string& baseDir);

}  // namespace merl_asm
