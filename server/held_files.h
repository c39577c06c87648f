// The lock files and temporary files this process holds, noted so that a
// stopping service can remove them before it exits, and the whole-file
// writes whose temporary file is noted while it exists.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace cvlm {

// Runs create, which makes the file path and returns its descriptor (or -1),
// and notes path as held when it succeeds. Once removeHeldFiles has run it
// never returns: nothing new is created by a stopping process.
int createHeldFile(const std::string& path, const std::function<int()>& create);
// Forgets path (renamed or removed by its holder); with remove it is first
// unlinked, and false (still held) when that fails.
bool releaseHeldFile(const std::string& path, bool remove);

// For a stopping service whose threads did not end in time: removes every
// lock file and temporary file the process holds; afterwards no thread takes
// a lock or creates a temporary file.
void removeHeldFiles();

// A platform::AtomicFile whose temporary file is held from its creation
// until it is renamed or removed. heldName is the temporary file's name
// relative to the working directory (empty: temp itself).
class HeldAtomicFile {
 public:
  using Create = platform::AtomicFile::Create;
  using Commit = platform::AtomicFile::Commit;

  HeldAtomicFile(std::string path, std::string temp, Create how = Create::Truncate,
                 const platform::File* dir = nullptr, std::string heldName = "");
  ~HeldAtomicFile();
  HeldAtomicFile(const HeldAtomicFile&) = delete;
  HeldAtomicFile& operator=(const HeldAtomicFile&) = delete;

  bool create();
  bool write(const void* data, std::size_t n) { return file_.write(data, n); }
  bool write(std::string_view data) { return file_.write(data); }
  bool finish() { return file_.finish(); }
  bool commit(Commit how = Commit::Replace);

 private:
  platform::AtomicFile file_;
  std::string heldName_;
  bool held_ = false;
};

// Writes data to temp (created or emptied, held while it is written) and
// renames it over path; false with path untouched and temp removed when a
// step fails.
bool writeFileThroughTemp(const std::string& path, std::string_view data, const std::string& temp);

}  // namespace cvlm
