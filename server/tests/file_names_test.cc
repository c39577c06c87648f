// Confinement of console file names: a table of names that stay inside the
// working directory and names that must be refused.
#include "server/requests/file_names.h"

#include <gtest/gtest.h>

#include <cstring>

namespace cvlm {
namespace {

struct NameCase {
  const char* name;
  bool confined;
};

TEST(FileNames, ConfinesNamesToWorkingDirectory) {
  const NameCase cases[] = {
      {"kernel.img", true},
      {"sub/dir/file.txt", true},
      {"sub\\file.txt", true},
      {"a..b", true},
      {"...", true},
      {"./file", true},
      {"file.lck.txt", true},
      {"", false},
      {"/etc/passwd", false},
      {"\\windows\\system.ini", false},
      {"C:autoexec.bat", false},
      {"c:\\x", false},
      {"..", false},
      {"../outside", false},
      {"sub/../../outside", false},
      {"sub\\..\\outside", false},
      {"sub/..", false},
      {"a/..\\b", false},
      {".acl.lck", false},
      {"sub/Rule.1.2.3.4.bk.lck", false},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(isConfinedFileName(c.name), c.confined) << '"' << c.name << '"';
  }
}

TEST(FileNames, CutsUnterminatedFieldAt63Characters) {
  char field[kFileNameField];
  std::memset(field, 'a', sizeof field);
  EXPECT_EQ(transferFileName(field), std::string(63, 'a'));

  std::memset(field, 0, sizeof field);
  std::memcpy(field, "name.txt", 8);
  EXPECT_EQ(transferFileName(field), "name.txt");
}

}  // namespace
}  // namespace cvlm
