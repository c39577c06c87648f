// MakeSideFileName: the run's counter steps past names that exist.
#include "files/side_names.h"

#include <cstdio>
#include <string>

#include "constants.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "text/path_text.h"

namespace merl {

bool MakeSideFileName(char* out, const char* path) {
  std::string_view text(path);
  std::size_t slash = lastBackslash(text);
  std::string_view directory = slash == std::string_view::npos ? std::string_view() : text.substr(0, slash + 1);
  WORD& counter = run().state<SideNameCounter>().next;
  for (unsigned tried = 0; tried < kSideNameLimit; ++tried) {
    char name[16];
    std::snprintf(name, sizeof name, "~QDH%04x.TMP", static_cast<unsigned>(counter));
    ++counter;
    if (!JoinPath(out, directory, name)) return false;
    if (CheckFileExists(out) != 0) return true;
  }
  out[0] = '\0';
  return false;
}

}  // namespace merl
