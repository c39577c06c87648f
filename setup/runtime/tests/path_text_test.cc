// Path texts in place: file name part, cutting it off, roots, last character,
// the final-backslash rule and stepping over strings, under single- and
// double-byte code pages.
#include "text/path_text.h"

#include <cstring>
#include <string>

#include "runtime_test.h"
#include "text/copy_text.h"

namespace {

class PathTextTest : public merl_testing::RuntimeTest {};

struct CutCase {
  const char* path;
  const char* directory;  // after CutFileName
  const char* name;       // PathFileName before
};

TEST_F(PathTextTest, FileNameAndDirectoryParts) {
  const CutCase cases[] = {
      {"C:\\APP\\SETUP.EXE", "C:\\APP", "SETUP.EXE"},
      {"C:\\APP\\", "C:\\APP", ""},
      {"C:\\FILE", "C:", "FILE"},
      {"FILE", "", "FILE"},
      {"\\\\SRV\\SHARE\\F", "\\\\SRV\\SHARE", "F"},
  };
  for (const auto& c : cases) {
    char path[256];
    merl::copyText(path, sizeof path, c.path);
    EXPECT_STREQ(merl::PathFileName(path), c.name) << c.path;
    char* end = merl::CutFileName(path);
    EXPECT_STREQ(path, c.directory) << c.path;
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end, path + std::strlen(c.directory)) << c.path;
  }
  char empty[1] = "";
  EXPECT_EQ(merl::CutFileName(empty), nullptr);
  EXPECT_EQ(merl::CutFileName(nullptr), nullptr);
}

TEST_F(PathTextTest, TrailBackslashIsNoSeparatorUnderADoubleBytePage) {
  const char* path = "C:\\\x95\x5C" "NAME";
  EXPECT_STREQ(merl::PathFileName(path), "NAME");  // single-byte: the 0x5C is a separator
  useMachine("[system]\ncodepage = 932\n");
  EXPECT_STREQ(merl::PathFileName(path), "\x95\x5C" "NAME");
  EXPECT_EQ(merl::lastBackslash(path), 2u);
  EXPECT_STREQ(merl::LastCharOf("AB\x95\x5C"), "\x95\x5C");

  char kept[] = "C:\\\x95\x5C";
  merl::cutTrailingBackslash(kept);
  EXPECT_STREQ(kept, "C:\\\x95\x5C");
  char cut[] = "C:\\DIR\\";
  merl::cutTrailingBackslash(cut);
  EXPECT_STREQ(cut, "C:\\DIR");
}

TEST_F(PathTextTest, RootsOfDrivesAndShares) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\A\\B", "C:\\"},          {"c:", "c:\\"},     {"C:REL", "C:\\"},
      {"\\\\SRV\\SHARE\\A", "\\\\SRV\\SHARE\\"}, {"\\\\SRV\\SHARE", "\\\\SRV\\SHARE\\"},
      {"\\\\SRV", ""},               {"\\\\SRV\\", ""},  {"\\\\\\SHARE", ""},
      {"REL\\A", ""},                {"", ""},
  };
  for (auto [path, root] : cases) EXPECT_EQ(merl::pathRoot(path), root) << path;
}

TEST_F(PathTextTest, LastCharacterAndStringStepping) {
  EXPECT_STREQ(merl::LastCharOf("ABC"), "C");
  const char* empty = "";
  EXPECT_EQ(merl::LastCharOf(empty), empty);
  const char strings[] = "one\0two\0";
  EXPECT_STREQ(merl::SkipString(strings), "two");
  EXPECT_EQ(merl::SkipString(merl::SkipString(strings)), strings + 8);
}

}  // namespace
