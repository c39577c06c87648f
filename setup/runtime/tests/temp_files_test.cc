// Temporary names: the directory-only form leaves no file, a prefix keeps a
// new empty file, and a temporary directory that takes no file gives none.
#include "files/temp_files.h"

#include <string>

#include "files/file_utils.h"
#include "runtime_test.h"

namespace {

class TempFilesTest : public merl_testing::RuntimeTest {
 protected:
  std::size_t filesInTemp() { return entriesIn(machine().hostC("TEMP")); }
};

TEST_F(TempFilesTest, WithoutPrefixOnlyTheDirectoryIsLeft) {
  char out[merl::kPathBufferSize];
  EXPECT_TRUE(merl::MakeTempFile(out));
  EXPECT_STREQ(out, "C:\\TEMP");
  EXPECT_EQ(filesInTemp(), 0u);
}

TEST_F(TempFilesTest, WithPrefixANewEmptyFileStays) {
  char first[merl::kPathBufferSize], second[merl::kPathBufferSize];
  ASSERT_TRUE(merl::MakeTempFile(first, "QDF"));
  ASSERT_TRUE(merl::MakeTempFile(second, "QDF"));
  EXPECT_NE(std::string(first), second);
  for (const char* path : {first, second}) {
    EXPECT_EQ(std::string(path).rfind("C:\\TEMP\\QDF", 0), 0u) << path;
    EXPECT_EQ(merl::CheckFileExists(path), 0) << path;
  }
  EXPECT_EQ(filesInTemp(), 2u);
}

TEST_F(TempFilesTest, NoFileInTheTemporaryDirectoryGivesNothing) {
  useMachine("[failures]\ncreate = C:\\TEMP\\*\n");
  char out[merl::kPathBufferSize] = "old";
  EXPECT_FALSE(merl::MakeTempFile(out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(merl::MakeTempFile(out, "QDG"));
}

}  // namespace
