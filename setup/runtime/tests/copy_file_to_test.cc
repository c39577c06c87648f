// CopyFileTo: plain and appending copies, their failures, and what the target
// holds afterwards.
#include "files/copy_file_to.h"

#include <filesystem>
#include <string>
#include <vector>

#include "files/file_utils.h"
#include "runtime_test.h"

namespace {

// The checksum callback's calls as (value, count).
std::vector<std::pair<win::DWORD, win::DWORD>> checksumCalls;
win::DWORD recordChecksum(win::DWORD value, const void*, win::DWORD count) {
  checksumCalls.emplace_back(value, count);
  return value + count;
}

// Sets the abort flag once the second block has gone by.
merl::SetupRec* abortingSetup = nullptr;
win::DWORD abortAfterTwoBlocks(win::DWORD value, const void*, win::DWORD count) {
  if (value + count >= 2 * merl::kCopyBlockSize) abortingSetup->abortFlag = 1;
  return value + count;
}

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
      {"read-error = C:\\IN\\S.TXT\n", false, false, merl::kCopyNoSource, "-"},
      {"read-error = C:\\IN\\S.TXT\n", true, true, merl::kCopyNoSource, "old\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.failures) + (c.append ? " append" : ""));
    useMachine(std::string("[failures]\n") + c.failures);
    machine().makeFile("IN/S.TXT", "new");
    if (c.targetThere) machine().makeFile("OUT/T.TXT", "old\n");
    char source[merl::kPathBufferSize] = "C:\\IN\\S.TXT";
    win::DWORD size = 0;
    EXPECT_EQ(merl::CopyFileTo(source, "C:\\OUT\\T.TXT", nullptr, 0, c.append, nullptr, &size), c.result);
    if (std::string(c.target) == "-")
      EXPECT_FALSE(exists("OUT/T.TXT"));
    else
      EXPECT_EQ(host("OUT/T.TXT"), c.target);
  }
}

TEST_F(CopyFileToTest, MissingSourceAndReturnedName) {
  char source[merl::kPathBufferSize] = "C:\\IN\\NONE.TXT";
  EXPECT_EQ(merl::CopyFileTo(source, "C:\\OUT\\T.TXT", nullptr, 0, false, nullptr, nullptr), merl::kCopyNoSource);
  EXPECT_FALSE(exists("OUT"));
  machine().makeFile("IN/S.TXT", "abc");
  char named[merl::kPathBufferSize] = "C:\\IN\\S.TXT";
  win::DWORD size = 0;
  EXPECT_EQ(merl::CopyFileTo(named, "C:\\OUT\\DEEP\\T.TXT", named, 0, false, nullptr, &size), merl::kCopyDone);
  EXPECT_STREQ(named, "C:\\OUT\\DEEP\\T.TXT");
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(host("OUT/DEEP/T.TXT"), "abc");
}

TEST_F(CopyFileToTest, BlocksChecksumProgressAndDate) {
  machine().makeFile("IN/BIG.BIN", std::string(70000, 'x'));
  win::HANDLE in = merl::OpenFileHandle("C:\\IN\\BIG.BIN", merl::kOpenReadWrite, false);
  ASSERT_NE(in, win::INVALID_HANDLE_VALUE);
  ASSERT_TRUE(merl::SetFileDosDateTime(in, 0x2E59, 0x7000));
  win::CloseHandle(in);
  merl::SetupRec setup{};
  setup.checksumCallback = recordChecksum;
  setup.bytesDone = 100;
  merl::RunScope scope(&setup);
  checksumCalls.clear();
  win::DWORD checksum = 1, size = 1;
  EXPECT_EQ(merl::CopyFileTo("C:\\IN\\BIG.BIN", "C:\\OUT\\BIG.BIN", nullptr, 50000, false, &checksum, &size),
            merl::kCopyDone);
  using Call = std::pair<win::DWORD, win::DWORD>;
  EXPECT_EQ(checksumCalls, (std::vector<Call>{{0, 0}, {0, 30720}, {30720, 30720}, {61440, 8560}}));
  EXPECT_EQ(checksum, 70000u);
  EXPECT_EQ(size, 70000u);
  EXPECT_EQ(setup.bytesDone, 50100u);
  win::HANDLE out = merl::OpenFileHandle("C:\\OUT\\BIG.BIN", merl::kOpenRead, false);
  win::WORD date = 0, time = 0;
  EXPECT_TRUE(merl::GetFileDosDateTime(out, date, time));
  win::CloseHandle(out);
  EXPECT_EQ(date, 0x2E59);
  EXPECT_EQ(time, 0x7000);
}

TEST_F(CopyFileToTest, AbortMidCopyDeletesTheTarget) {
  machine().makeFile("IN/BIG.BIN", std::string(70000, 'x'));
  merl::SetupRec setup{};
  setup.checksumCallback = abortAfterTwoBlocks;
  abortingSetup = &setup;
  merl::RunScope scope(&setup);
  win::DWORD checksum = 0;
  EXPECT_NE(merl::CopyFileTo("C:\\IN\\BIG.BIN", "C:\\OUT\\BIG.BIN", nullptr, 0, false, &checksum, nullptr),
            merl::kCopyDone);
  EXPECT_EQ(checksum, 2 * merl::kCopyBlockSize);
  EXPECT_FALSE(exists("OUT/BIG.BIN"));
}

}  // namespace
