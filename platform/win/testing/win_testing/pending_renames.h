// Test helper: the machine's pending-restart store (<state>/pending-renames.txt)
// read back, and played back as a restart would: every entry in order through
// the layer's own calls, with no fault rule in force, then the store is emptied.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/faults.h"
#include "platform/files.h"
#include "platform/text.h"
#include "win/constants.h"
#include "win/files.h"
#include "win/machine.h"

namespace win_testing {

struct PendingRename {
  win::DWORD flags = 0;
  std::string source;
  std::string target;  // empty: the source is deleted
};

// The entries of the current machine's store, in order (lines that do not parse are skipped).
inline std::vector<PendingRename> readPendingRenames() {
  std::vector<PendingRename> out;
  std::string text;
  if (!platform::readWholeFile(win::machine().stateDir() + "/" + win::kPendingRenamesFileName, text)) return out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    auto f = platform::splitFields(std::string_view(text).substr(start, end - start), '\t');
    if (f.size() == 3) out.push_back({static_cast<win::DWORD>(std::strtoul(f[0].c_str(), nullptr, 10)), f[1], f[2]});
    start = end + 1;
  }
  return out;
}

// Performs the store's renames and deletes as the next restart would and empties the store;
// returns how many entries failed. Fault rules are lifted meanwhile (nothing runs at a
// restart) and the machine's own rules are in force again afterwards.
inline int playPendingRenames() {
  auto entries = readPendingRenames();
  platform::clearFaults();
  int failed = 0;
  for (const auto& e : entries) {
    bool ok = false;
    if (!e.target.empty()) {
      ok = win::MoveFileEx(e.source.c_str(), e.target.c_str(), e.flags & win::MOVEFILE_REPLACE_EXISTING);
    } else {
      win::DWORD a = win::GetFileAttributes(e.source.c_str());
      bool isDirectory = a != win::INVALID_FILE_ATTRIBUTES && (a & win::FILE_ATTRIBUTE_DIRECTORY);
      ok = isDirectory ? win::RemoveDirectory(e.source.c_str()) : win::DeleteFile(e.source.c_str());
    }
    if (!ok) ++failed;
  }
  win::machine().installFaults();
  std::string path = win::machine().stateDir() + "/" + win::kPendingRenamesFileName;
  platform::FileLock lock(path, true);
  std::remove(path.c_str());
  return failed;
}

}  // namespace win_testing
