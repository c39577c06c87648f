// Bytes at an offset (f15), attributes by pattern (f20) and closing the
// installation file (f28): read and written bytes, clamped lengths, file errors.
#include <string>

#include <gtest/gtest.h>

#include "action_call.h"
#include "win/files.h"

namespace {

using FileActionTest = merl_testing::ActionCallTest;

TEST_F(FileActionTest, ReadsBytesAtAnOffsetWithoutTrailingBlanks) {
  machine().makeFile("APP/DATA.BIN", std::string("0123456789AB   ") + std::string(600, 'z'));
  struct Case {
    const char* params;
    std::string read;
  } cases[] = {
      {"1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "4\x7F" "6", "456789"},
      {"1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "10\x7F" "5", "AB"},
      {"1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "0\x7F" "0", ""},
      {"1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "0\x7F" "-5", ""},
      {"1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "9000\x7F" "6", ""},
      // A huge length reads no more than the 511-byte buffer (the variable keeps 255 of them).
      {"1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "15\x7F" "99999999", std::string(255, 'z')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    merl::SetVar("V", "stale");
    EXPECT_EQ(call(f15, c.params), 0);
    EXPECT_EQ(value("V"), c.read);
  }
  // Reading runs in a test run too.
  EXPECT_EQ(callInTestRun(f15, "1\x7F" "C:\\APP\\DATA.BIN\x7FV\x7F" "0\x7F" "3"), 0);
  EXPECT_EQ(value("V"), "012");
}

TEST_F(FileActionTest, WritesTheVariableAtAnOffsetInPlace) {
  struct Case {
    const char* params;
    const char* data;
    std::string after;
  } cases[] = {
      {"2\x7F" "C:\\F.BIN\x7FV\x7F" "2\x7F" "0", "XY", std::string("ab") + "XY" + '\0' + "fgh"},
      {"0\x7F" "C:\\F.BIN\x7FV\x7F" "2\x7F" "0", "XY", "abXYefgh"},
      {"0\x7F" "C:\\F.BIN\x7FV\x7F" "0\x7F" "1", "XY", "Xbcdefgh"},
      {"0\x7F" "C:\\F.BIN\x7FV\x7F" "6\x7F" "99999", "XYZ", "abcdefXYZ"},
      {"2\x7F" "C:\\F.BIN\x7FV\x7F" "0\x7F" "0", "", "abcdefgh"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.params);
    machine().makeFile("F.BIN", "abcdefgh");
    merl::SetVar("V", c.data);
    EXPECT_EQ(call(f15, c.params), 0);
    EXPECT_EQ(file("F.BIN"), c.after);
  }
  machine().makeFile("F.BIN", "abcdefgh");
  EXPECT_EQ(callInTestRun(f15, "0\x7F" "C:\\F.BIN\x7FV\x7F" "0\x7F" "0"), 0);
  EXPECT_EQ(file("F.BIN"), "abcdefgh");
}

TEST_F(FileActionTest, AFileThatCannotBeOpenedOrPositionedIsAFileError) {
  machine().makeFile("F.BIN", "abc");
  const char* cases[] = {
      "1\x7F" "C:\\MISSING.BIN\x7FV\x7F" "0\x7F" "3",
      "0\x7F" "C:\\MISSING.BIN\x7FV\x7F" "0\x7F" "3",
      "0\x7F" "C:\\F.BIN\x7FV\x7F" "-10\x7F" "3",
  };
  merl::SetVar("V", "XY");
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    std::size_t before = aborts().size();
    EXPECT_EQ(call(f15, c), 1);
    EXPECT_EQ(aborts().size(), before + 1);
  }
  EXPECT_EQ(aborts()[0], "M26: C:\\MISSING.BIN");
  EXPECT_EQ(file("F.BIN"), "abc");
  EXPECT_FALSE(std::filesystem::exists(machine().hostC("MISSING.BIN")));
}

TEST_F(FileActionTest, AttributesAreSetByPatternOutsideATestRun) {
  machine().makeFile("APP/A.TXT", "a");
  constexpr win::DWORD kAll = win::FILE_ATTRIBUTE_READONLY | win::FILE_ATTRIBUTE_HIDDEN | win::FILE_ATTRIBUTE_SYSTEM |
                              win::FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(win::SetFileAttributes("C:\\APP\\A.TXT", win::FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(callInTestRun(f20, "7\x7F" "C:\\APP\\*.*"), 0);
  EXPECT_EQ(win::GetFileAttributes("C:\\APP\\A.TXT") & kAll, 0u);
  EXPECT_EQ(call(f20, "7\x7F" "C:\\APP\\*.*"), 0);
  EXPECT_EQ(win::GetFileAttributes("C:\\APP\\A.TXT") & kAll, kAll);
}

TEST_F(FileActionTest, ClosingTheInstallationFileLeavesNoHandleOutsideATestRun) {
  machine().makeFile("SETUP.EXE", "x");
  setup_.installFile = win::CreateFile("C:\\SETUP.EXE", win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                       win::OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(setup_.installFile, win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(callInTestRun(f28, ""), 0);
  EXPECT_NE(setup_.installFile, win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(call(f28, ""), 0);
  EXPECT_EQ(setup_.installFile, win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(call(f28, ""), 0);
}

}  // namespace
