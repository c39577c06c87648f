// CopyFileTo: plain and appending copies, their failures, and what the target
// holds afterwards.
#include "files/copy_file_to.h"

#include <filesystem>
#include <string>

#include "files/file_utils.h"
#include "runtime_test.h"

namespace {

class CopyFileToTest : public merl_testing::RuntimeTest {
 protected:
  std::string host(const std::string& relative) { return machine().readText(machine().hostC(relative)); }
  bool exists(const std::string& relative) { return std::filesystem::exists(machine().hostC(relative)); }
};

TEST_F(CopyFileToTest, PlainAndAppendingCopies) {
  struct Case {
    const char* failures;
    bool targetThere, append;
    int result;
    const char* target;  // what the target holds after, "-" when it is gone
  } cases[] = {
      {"", false, false, merl::kCopyDone, "new"},
      {"", true, false, merl::kCopyDone, "new"},
      {"", true, true, merl::kCopyDone, "old\nnew"},
      {"", false, true, merl::kCopyDone, "new"},
      {"short-write = C:\\OUT\\T.TXT 2\n", false, false, merl::kCopyFailed, "-"},
      {"short-write = C:\\OUT\\T.TXT 5\n", true, true, merl::kCopyFailed, "old\n"},
      {"denied = C:\\OUT\\T.TXT\n", true, true, merl::kCopyNoTarget, "old\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.failures) + (c.append ? " append" : ""));
    useMachine(std::string("[failures]\n") + c.failures);
    machine().makeFile("IN/S.TXT", "new");
    if (c.targetThere) machine().makeFile("OUT/T.TXT", "old\n");
    char source[merl::kPathBufferSize] = "C:\\IN\\S.TXT";
    win::DWORD size = 0;
    EXPECT_EQ(merl::CopyFileTo(source, "C:\\OUT\\T.TXT", false, 0, c.append, nullptr, &size), c.result);
    if (std::string(c.target) == "-")
      EXPECT_FALSE(exists("OUT/T.TXT"));
    else
      EXPECT_EQ(host("OUT/T.TXT"), c.target);
  }
}

TEST_F(CopyFileToTest, MissingSourceAndReturnedName) {
  char source[merl::kPathBufferSize] = "C:\\IN\\NONE.TXT";
  EXPECT_EQ(merl::CopyFileTo(source, "C:\\OUT\\T.TXT", false, 0, false, nullptr, nullptr), merl::kCopyNoSource);
  EXPECT_FALSE(exists("OUT"));
  machine().makeFile("IN/S.TXT", "abc");
  char named[merl::kPathBufferSize] = "C:\\IN\\S.TXT";
  win::DWORD size = 0;
  EXPECT_EQ(merl::CopyFileTo(named, "C:\\OUT\\DEEP\\T.TXT", true, 0, false, nullptr, &size), merl::kCopyDone);
  EXPECT_STREQ(named, "C:\\OUT\\DEEP\\T.TXT");
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(host("OUT/DEEP/T.TXT"), "abc");
}

}  // namespace
