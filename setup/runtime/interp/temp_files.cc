#include "interp/temp_files.h"

#include "interp/interp_constants.h"
#include "win/files.h"

namespace merl {

bool TempFileList::add(std::string_view path) {
  if (paths.size() >= static_cast<std::size_t>(kTempFileLimit)) return false;
  paths.emplace_back(path);
  return true;
}

TempFileList& tempFiles() { return run().state<TempFileList>(); }

void DeleteTempFiles() {
  for (const std::string& path : tempFiles().paths) win::DeleteFile(path.c_str());
  tempFiles().paths.clear();
}

}  // namespace merl
