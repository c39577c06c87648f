// The pending-restart store, rewritten whole (temporary file, then rename)
// under its lock for every entry added.
#include "pending_renames.h"

#include "platform/files.h"
#include "win/constants.h"
#include "win/machine.h"

namespace win::files {

bool appendPendingRename(DWORD flags, const std::string& source, const std::string& target) {
  std::string path = machine().stateDir() + "/" + kPendingRenamesFileName;
  platform::FileLock lock(path, true);
  if (!lock.held()) return false;
  std::string text;
  if (platform::fileExists(path) && !platform::readWholeFile(path, text)) return false;
  if (!text.empty() && text.back() != '\n') text += '\n';
  text += std::to_string(flags) + "\t" + source + "\t" + target + "\n";
  return platform::writeFileAtomic(path, text);
}

}  // namespace win::files
