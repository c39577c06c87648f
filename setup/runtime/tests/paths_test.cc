// Absolute path forms and directory levels: MakeFullPath against the disk's
// spelling and the current directory, MakeDirectoryPath and its "Made Dir:"
// lines, SetCurrentDir, and paths that are bad or too long.
#include "files/paths.h"

#include <filesystem>
#include <string>

#include "files/file_utils.h"
#include "log/log_sink.h"
#include "platform_testing/temp_dir.h"
#include "runtime_test.h"
#include "text/copy_text.h"
#include "win/files.h"

namespace {

namespace fs = std::filesystem;

class PathsTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override { captureLog(); }
  void captureLog() {
    log_.clear();
    merl::setLogLineWriter([this](std::string_view text) {
      log_ += text;
      log_ += "\r\n";
    });
  }
  bool isDir(const std::string& relative) { return fs::is_directory(machine().hostC(relative)); }
  std::string currentDirectory() {
    char dir[win::MAX_PATH];
    win::DWORD n = win::GetCurrentDirectory(sizeof dir, dir);
    return std::string(dir, n);
  }

  std::string log_;
  platform_testing::TempDir share_;
};

struct FullPathCase {
  const char* path;
  bool longForm;
  bool ok;
  const char* result;  // the buffer afterwards
};

TEST_F(PathsTest, MakeFullPathGivesTheAbsoluteOnDiskSpelling) {
  machine().makeFile("Windows/System/Foo.dll");
  fs::create_directories(machine().hostC("APP"));
  ASSERT_TRUE(win::SetCurrentDirectory("C:\\APP"));
  const std::string tooLong(250, 'N');
  const FullPathCase cases[] = {
      {"c:\\WINDOWS\\system\\FOO.DLL", true, true, "C:\\Windows\\System\\Foo.dll"},
      {"c:\\WINDOWS\\system\\FOO.DLL", false, true, "C:\\Windows\\System\\Foo.dll"},
      {"X.DLL", true, true, "C:\\APP\\X.DLL"},
      {"SUB\\..\\X.DLL", true, true, "C:\\APP\\X.DLL"},
      {"SUB\\X.DLL", false, true, "C:\\APP\\SUB\\X.DLL"},
      {"\\ROOTED.DLL", true, true, "C:\\ROOTED.DLL"},
      {"c:", true, true, "c:"},
      {"c:\\windows\\MISSING\\FOO.DLL", true, true, "C:\\Windows\\MISSING\\FOO.DLL"},
      {"C:\\..\\..\\X.DLL", true, true, "C:\\X.DLL"},
      {"", true, false, ""},
      {"C:\\BAD|NAME", true, false, "C:\\BAD|NAME"},
      {tooLong.c_str(), true, false, tooLong.c_str()},  // 257 characters once absolute
  };
  for (const auto& c : cases) {
    char buffer[merl::kPathBufferSize];
    merl::copyText(buffer, sizeof buffer, c.path);
    EXPECT_EQ(merl::MakeFullPath(buffer, c.longForm), c.ok) << c.path;
    EXPECT_STREQ(buffer, c.result) << c.path;
  }
}

TEST_F(PathsTest, MakeFullPathRefusesABufferWithoutAnEndInside) {
  char buffer[merl::kPathBufferSize];
  std::fill(buffer, buffer + sizeof buffer, 'A');
  EXPECT_FALSE(merl::MakeFullPath(buffer, true));
  EXPECT_EQ(buffer[sizeof buffer - 1], 'A');
}

TEST_F(PathsTest, MakeDirectoryPathCreatesAndLogsEachMissingLevel) {
  EXPECT_TRUE(merl::MakeDirectoryPath("C:\\A\\B\\file.txt"));
  EXPECT_EQ(log_, "Made Dir: C:\\A\r\nMade Dir: C:\\A\\B\r\n");
  EXPECT_TRUE(isDir("A/B"));
  EXPECT_FALSE(fs::exists(machine().hostC("A/B/file.txt")));

  captureLog();
  EXPECT_TRUE(merl::MakeDirectoryPath("C:\\A\\B\\file.txt"));
  EXPECT_EQ(log_, "");

  EXPECT_TRUE(merl::MakeDirectoryPath("C:\\A\\B\\C\\D\\"));
  EXPECT_EQ(log_, "Made Dir: C:\\A\\B\\C\r\nMade Dir: C:\\A\\B\\C\\D\r\n");
}

TEST_F(PathsTest, MakeDirectoryPathOfADirectoryWithFinalBackslashMakesTheSameLevels) {
  EXPECT_TRUE(merl::MakeDirectoryPath("C:\\A\\B\\"));
  EXPECT_EQ(log_, "Made Dir: C:\\A\r\nMade Dir: C:\\A\\B\r\n");
  EXPECT_TRUE(isDir("A/B"));
}

struct LevelsCase {
  const char* path;
  bool ok;
  const char* log;
};

TEST_F(PathsTest, MakeDirectoryPathResolvesThePathAndNeverMakesRootsOrOverlongPaths) {
  useMachine("[drives]\n\\\\SRV\\SHARE = " + share_.path() + "\n");
  captureLog();
  fs::create_directories(machine().hostC("APP"));
  ASSERT_TRUE(win::SetCurrentDirectory("C:\\APP"));
  machine().makeFile("FILE");
  const std::string tooLong = "C:\\" + std::string(300, 'L') + "\\x";
  const LevelsCase cases[] = {
      {"SUB\\f.txt", true, "Made Dir: C:\\APP\\SUB\r\n"},
      {"C:\\X\\.\\Y\\..\\Z\\f", true, "Made Dir: C:\\X\r\nMade Dir: C:\\X\\Z\r\n"},
      {"C:\\..\\..\\UP\\f", true, "Made Dir: C:\\UP\r\n"},
      {"C:\\root.txt", true, ""},
      {"\\\\SRV\\SHARE\\D\\f", true, "Made Dir: \\\\SRV\\SHARE\\D\r\n"},
      {"\\\\SRV\\SHARE\\f", true, ""},
      {"C:\\FILE\\UNDER\\f", false, ""},
      {tooLong.c_str(), false, ""},
      {"C:\\" "BAD|\\f", false, ""},
  };
  for (const auto& c : cases) {
    captureLog();
    EXPECT_EQ(merl::MakeDirectoryPath(c.path), c.ok) << c.path;
    EXPECT_EQ(log_, c.log) << c.path;
  }
  EXPECT_TRUE(fs::is_directory(share_.file("D")));
}

TEST_F(PathsTest, WithoutALogWriterLevelsAreStillMade) {
  merl::setLogLineWriter(nullptr);
  EXPECT_TRUE(merl::MakeDirectoryPath("C:\\Q\\R\\f"));
  EXPECT_TRUE(isDir("Q/R"));
}

TEST_F(PathsTest, SetCurrentDirTakesAnsiNamesAsTheyAre) {
  fs::create_directories(machine().hostC("Caf\xE9"));
  EXPECT_TRUE(merl::SetCurrentDir("c:\\caf\xE9"));
  EXPECT_EQ(currentDirectory(), "C:\\Caf\xE9");
  char buffer[merl::kPathBufferSize] = "X.DLL";
  EXPECT_TRUE(merl::MakeFullPath(buffer, true));
  EXPECT_STREQ(buffer, "C:\\Caf\xE9\\X.DLL");

  EXPECT_FALSE(merl::SetCurrentDir("C:\\MISSING"));
  EXPECT_FALSE(merl::SetCurrentDir(("C:\\" + std::string(300, 'L')).c_str()));
  EXPECT_EQ(currentDirectory(), "C:\\Caf\xE9");
}

}  // namespace
