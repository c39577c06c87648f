// The run's list of temporary files made by the script, deleted at the end of the run.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "run.h"

namespace merl {

struct TempFileList : RunState {
  std::vector<std::string> paths;
  // False when the list is full.
  [[nodiscard]] bool add(std::string_view path);
};

TempFileList& tempFiles();

// Deletes every listed file and empties the list.
void DeleteTempFiles();

}  // namespace merl
