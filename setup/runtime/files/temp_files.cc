// Temporary names from GetTempFileName in the temporary directory; the form
// without a prefix only finds out the directory and leaves no file behind.
#include "files/temp_files.h"

#include <cstring>

#include "files/file_utils.h"
#include "text/copy_text.h"
#include "text/path_text.h"
#include "win/files.h"

namespace merl {

namespace {

constexpr char kDefaultPrefix[] = "QDB";

}  // namespace

bool MakeTempFile(char* out, const char* prefix) {
  out[0] = '\0';
  char directory[win::MAX_PATH];
  DWORD n = win::GetTempPath(sizeof directory, directory);
  if (n == 0 || n >= sizeof directory) return false;
  char name[win::MAX_PATH];
  if (win::GetTempFileName(directory, prefix ? prefix : kDefaultPrefix, 0, name) == 0) return false;
  if (std::strlen(name) >= static_cast<std::size_t>(kPathBufferSize)) {
    win::DeleteFile(name);
    return false;
  }
  copyText(out, kPathBufferSize, name);
  if (!prefix) {
    win::DeleteFile(out);
    CutFileName(out);
  }
  return true;
}

}  // namespace merl
