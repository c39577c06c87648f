// What MerlMain calls in routines that live elsewhere (the copy dialog,
// graphics, the extract choice): one
// replaceable function each, so the run works before those routines exist and tests
// can watch them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run.h"

namespace merl {

struct RunSeams {
  // Closes the copy dialog and enables the main window again.
  void (*closeCopyDialog)() = [] {};
  // Extract mode without a target: the multiple choice of dialog 107 over the file names with
  // prompt; the chosen indexes in list order (default: none, until the list dialog takes it).
  std::vector<std::size_t> (*chooseExtractFiles)(const std::vector<std::string>& names, std::string_view prompt) =
      [](const std::vector<std::string>&, std::string_view) { return std::vector<std::size_t>(); };
  // Frees the placed graphics and their drawing objects.
  void (*freeGraphics)() = [] {};
};

// The seams MerlMain uses (one set for the process; tests replace members and put them back).
RunSeams& runSeams();

}  // namespace merl
