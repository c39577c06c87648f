// The _lopen family and OpenFile: HFILE results and errors, appending to a
// file the way a restart list is extended, and OpenFile's styles.
#include <filesystem>

#include <gtest/gtest.h>

#include "win/files.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

TEST(LFileTest, LowLevelCallsCreateAppendAndReadFiles) {
  using namespace win;
  TestMachine m;
  // The restart list: appended to when it opens for writing, else made.
  const char* ini = "C:\\WINDOWS\\WININIT.INI";
  EXPECT_EQ(_lopen(ini, OF_WRITE), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  HFILE f = _lcreat(ini, 0);
  ASSERT_NE(f, HFILE_ERROR);
  std::string first = "[rename]\r\nNUL=C:\\TEMP\\QDB1A2B.EXE\r\n";
  EXPECT_EQ(_lwrite(f, first.data(), static_cast<UINT>(first.size())), first.size());
  EXPECT_EQ(_lclose(f), 0);
  f = _lopen(ini, OF_WRITE | OF_SHARE_DENY_NONE);
  ASSERT_NE(f, HFILE_ERROR);
  EXPECT_EQ(_llseek(f, 0, 2), static_cast<LONG>(first.size()));
  EXPECT_EQ(_lwrite(f, "NUL=x\r\n", 7), 7u);
  char buffer[8];
  EXPECT_EQ(_lread(f, buffer, sizeof buffer), static_cast<UINT>(HFILE_ERROR));  // opened for writing only
  EXPECT_EQ(_lclose(f), 0);
  EXPECT_EQ(_lclose(f), HFILE_ERROR);
  EXPECT_EQ(TestMachine::readText(m.hostC("WINDOWS/WININIT.INI")), first + "NUL=x\r\n");

  f = _lopen("c:\\windows\\wininit.ini", OF_READ);
  ASSERT_NE(f, HFILE_ERROR);
  EXPECT_EQ(_llseek(f, -7, 2), static_cast<LONG>(first.size()));
  EXPECT_EQ(_lread(f, buffer, sizeof buffer), 7u);
  EXPECT_EQ(std::string(buffer, 7), "NUL=x\r\n");
  EXPECT_EQ(_lread(f, buffer, sizeof buffer), 0u);
  EXPECT_EQ(_llseek(f, -1, 0), HFILE_ERROR);
  EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR));
  _lclose(f);

  f = _lcreat("C:\\TEMP\\flags.txt", 3);  // read-only and hidden
  ASSERT_NE(f, HFILE_ERROR);
  _lclose(f);
  EXPECT_EQ(GetFileAttributes("C:\\TEMP\\flags.txt"),
            FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(_lopen("C:\\TEMP\\flags.txt", OF_READWRITE), HFILE_ERROR);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(m.machine().kernelHandles().size(), 0u);
}

TEST(LFileTest, OpenFileStylesGiveWindowsResults) {
  using namespace win;
  struct Case {
    const char* name;
    UINT style;
    bool ok;
    WORD error;            // OFSTRUCT's nErrCode
    const char* pathName;  // OFSTRUCT's szPathName
    bool existsAfter;      // C:\App\SETUP.INI
    size_t openAfter;      // handles still open
  } cases[] = {
      {"c:\\app\\setup.ini", OF_EXIST, true, 0, "C:\\App\\SETUP.INI", true, 0},
      {"C:\\App\\none.ini", OF_EXIST, false, 2, "C:\\App\\none.ini", true, 0},
      {"C:\\Nope\\none.ini", OF_EXIST, false, 3, "C:\\Nope\\none.ini", true, 0},
      {"C:\\App\\SETUP.INI", OF_DELETE, true, 0, "C:\\App\\SETUP.INI", false, 0},
      {"C:\\App\\none.ini", OF_DELETE, false, 2, "C:\\App\\none.ini", true, 0},
      {"C:\\App\\setup.ini", OF_PARSE, true, 0, "C:\\App\\SETUP.INI", true, 0},
      {"C:\\App\\SETUP.INI", OF_READ, true, 0, "C:\\App\\SETUP.INI", true, 1},
      {"C:\\App\\new.ini", OF_CREATE, true, 0, "C:\\App\\new.ini", true, 1},
      {"SETUP.INI", OF_READ | OF_SHARE_DENY_WRITE, true, 0, "C:\\App\\SETUP.INI", true, 1},
      {"C:\\App\\a*.ini", OF_READ, false, 123, "", true, 0},
  };
  for (const auto& c : cases) {
    TestMachine m;
    m.makeFile("App/SETUP.INI", "[x]\r\n");
    ASSERT_TRUE(SetCurrentDirectory("C:\\App"));
    OFSTRUCT ofs{};
    HFILE f = OpenFile(c.name, &ofs, c.style);
    EXPECT_EQ(f != HFILE_ERROR, c.ok) << c.name << " " << c.style;
    EXPECT_EQ(ofs.cBytes, sizeof ofs);
    EXPECT_EQ(ofs.nErrCode, c.error) << c.name << " " << c.style;
    EXPECT_STREQ(ofs.szPathName, c.pathName) << c.name << " " << c.style;
    EXPECT_EQ(std::filesystem::exists(m.hostC("App/SETUP.INI")), c.existsAfter) << c.name << " " << c.style;
    EXPECT_EQ(m.machine().kernelHandles().size(), c.openAfter) << c.name << " " << c.style;
  }
  TestMachine m;
  std::string deep = "C:\\" + std::string(130, 'd') + "\\x.ini";  // longer than OFSTRUCT holds
  OFSTRUCT ofs{};
  EXPECT_EQ(OpenFile(deep.c_str(), &ofs, OF_EXIST), HFILE_ERROR);
  EXPECT_EQ(ofs.nErrCode, ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(OpenFile("C:\\x", nullptr, OF_EXIST), HFILE_ERROR);
}

}  // namespace
