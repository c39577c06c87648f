// Directories and path forms: temporary names (made exclusive, private and
// never handed out twice; a given number only forms the name), the virtual
// current directory, full, short and long paths, Windows and System directories.
#include <sys/stat.h>

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "win/files.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::errorOf;
using win_testing::TestMachine;

TEST(DirectoriesTest, TempFileNamesAreMadeExclusivePrivateAndNeverReused) {
  using namespace win;
  TestMachine m;
  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileName("C:\\TEMP", "QDG", 0, name), 1u);
  EXPECT_STREQ(name, "C:\\TEMP\\QDG0001.TMP");
  struct stat st{};
  ASSERT_EQ(::stat(m.hostC("TEMP/QDG0001.TMP").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(st.st_size, 0);
  ASSERT_TRUE(DeleteFile(name));
  m.makeFile("TEMP/qdg0002.tmp");  // taken, whatever its case
  EXPECT_EQ(GetTempFileName("C:\\TEMP\\", "QDGX", 0, name), 3u);
  EXPECT_STREQ(name, "C:\\TEMP\\QDG0003.TMP");
  {
    win::MachineScope other(m.stateDir());  // the next process goes on counting
    EXPECT_EQ(GetTempFileName("c:\\temp", "QD_", 0, name), 4u);
    EXPECT_STREQ(name, "C:\\temp\\QD_0004.TMP");
  }

  EXPECT_EQ(GetTempFileName("C:\\TEMP", "QDB", 0x1A2B, name), 0x1A2Bu);
  EXPECT_STREQ(name, "C:\\TEMP\\QDB1A2B.TMP");
  EXPECT_FALSE(std::filesystem::exists(m.hostC("TEMP/QDB1A2B.TMP")));
  EXPECT_EQ(GetTempFileName("C:\\Nope", "QDB", 0x1A2B, name), 0x1A2Bu);  // nothing is looked at
  EXPECT_STREQ(name, "C:\\Nope\\QDB1A2B.TMP");

  struct Bad {
    const char* dir;
    const char* prefix;
    DWORD error;
  } bad[] = {
      {"C:\\Nope", "QDB", ERROR_DIRECTORY},
      {"C:\\TEMP\\QDG0003.TMP", "QDB", ERROR_DIRECTORY},
      {"C:\\TEMP", "Q*", ERROR_INVALID_NAME},
      {nullptr, "QDB", ERROR_INVALID_PARAMETER},
  };
  for (const auto& b : bad) {
    EXPECT_EQ(GetTempFileName(b.dir, b.prefix, 0, name), 0u) << (b.dir ? b.dir : "NULL");
    EXPECT_EQ(GetLastError(), b.error) << (b.dir ? b.dir : "NULL");
  }
  std::string longDir = "C:\\" + std::string(244, 'd');
  EXPECT_EQ(GetTempFileName(longDir.c_str(), "QDB", 0, name), 0u);
  EXPECT_EQ(GetLastError(), ERROR_BUFFER_OVERFLOW);

  char path[16];
  EXPECT_EQ(GetTempPath(sizeof path, path), 8u);
  EXPECT_STREQ(path, "C:\\TEMP\\");
  std::strcpy(path, "untouched");
  EXPECT_EQ(GetTempPath(8, path), 9u);
  EXPECT_STREQ(path, "untouched");
}

TEST(DirectoriesTest, CurrentDirectoryIsVirtualAndChecked) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/Sub/a.txt", "a");
  struct Case {
    const char* dir;
    DWORD error;
    const char* current;  // afterwards
  } cases[] = {
      {"C:\\App", ERROR_SUCCESS, "C:\\App"},
      {"sub", ERROR_SUCCESS, "C:\\App\\sub"},
      {"..", ERROR_SUCCESS, "C:\\App"},
      {"C:\\Nope", ERROR_FILE_NOT_FOUND, "C:\\App"},
      {"C:\\Nope\\x", ERROR_PATH_NOT_FOUND, "C:\\App"},
      {"Sub\\a.txt", ERROR_DIRECTORY, "C:\\App"},
      {"Q:\\", ERROR_PATH_NOT_FOUND, "C:\\App"},
      {"\\", ERROR_SUCCESS, "C:\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(errorOf(SetCurrentDirectory(c.dir)), c.error) << c.dir;
    char buffer[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectory(sizeof buffer, buffer), std::strlen(c.current)) << c.dir;
    EXPECT_STREQ(buffer, c.current) << c.dir;
  }
  ASSERT_TRUE(SetCurrentDirectory("C:\\App\\Sub"));
  char small[4];
  EXPECT_EQ(GetCurrentDirectory(sizeof small, small), 11u);
  HANDLE h = CreateFile("b.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists(m.hostC("App/Sub/b.txt")));
}

TEST(DirectoriesTest, PathFormsGiveFullShortAndLongNames) {
  using namespace win;
  TestMachine m;
  m.makeFile("Program Files/App/Data.txt", "d");
  ASSERT_TRUE(SetCurrentDirectory("C:\\Program Files"));
  struct Full {
    const char* name;
    const char* full;
    const char* filePart;  // nullptr: none
  } full[] = {
      {"app\\data.txt", "C:\\Program Files\\app\\data.txt", "data.txt"},
      {"..\\x\\*.*", "C:\\x\\*.*", "*.*"},
      {"C:\\TEMP\\", "C:\\TEMP\\", nullptr},
      {"d:rel", "D:\\rel", "rel"},
      {"\\\\srv\\share\\f", "\\\\srv\\share\\f", "f"},
  };
  for (const auto& f : full) {
    char buffer[MAX_PATH];
    LPSTR part = buffer;
    EXPECT_EQ(GetFullPathName(f.name, sizeof buffer, buffer, &part), std::strlen(f.full)) << f.name;
    EXPECT_STREQ(buffer, f.full) << f.name;
    if (f.filePart)
      EXPECT_STREQ(part, f.filePart) << f.name;
    else
      EXPECT_EQ(part, nullptr) << f.name;
  }
  char tiny[4];
  EXPECT_EQ(GetFullPathName("app", sizeof tiny, tiny, nullptr), std::strlen("C:\\Program Files\\app") + 1);

  char buffer[MAX_PATH];
  EXPECT_EQ(GetShortPathName("c:\\program files\\APP\\DATA.TXT", buffer, sizeof buffer), 29u);
  EXPECT_STREQ(buffer, "C:\\Program Files\\App\\Data.txt");  // short form = long form, blanks and all
  EXPECT_EQ(GetLongPathName("app\\data.txt", buffer, sizeof buffer), 29u);
  EXPECT_STREQ(buffer, "C:\\Program Files\\App\\Data.txt");
  std::strcpy(buffer, "c:\\program files\\app");
  EXPECT_EQ(GetShortPathName(buffer, buffer, sizeof buffer), 20u);  // in place
  EXPECT_STREQ(buffer, "C:\\Program Files\\App");
  EXPECT_EQ(GetLongPathName("C:\\Program Files\\none.txt", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetShortPathName("C:\\Nope\\none.txt", buffer, sizeof buffer), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetShortPathName("C:\\Program Files\\App", buffer, 5), 21u);
}

TEST(DirectoriesTest, WindowsAndSystemDirectoriesComeFromTheDescription) {
  using namespace win;
  struct Case {
    const char* ini;
    const char* windows;
    const char* system;
  } cases[] = {
      {"", "C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM"},
      {"[dirs]\nwindows = c:/winnt\nsystem = C:\\WINNT\\System32\n", "C:\\winnt", "C:\\WINNT\\System32"},
  };
  for (const auto& c : cases) {
    TestMachine m(c.ini);
    char buffer[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectory(buffer, sizeof buffer), std::strlen(c.windows));
    EXPECT_STREQ(buffer, c.windows);
    EXPECT_EQ(GetSystemDirectory(buffer, sizeof buffer), std::strlen(c.system));
    EXPECT_STREQ(buffer, c.system);
    EXPECT_EQ(GetSystemDirectory(buffer, 3), std::strlen(c.system) + 1);
    EXPECT_EQ(GetFileAttributes(c.system), FILE_ATTRIBUTE_DIRECTORY);
  }
}

}  // namespace
