// Directory listings: Windows wildcard meanings ("*.*" takes names without a
// dot), "." and ".." below a root only, invisible host names, links as
// reparse points, the end of a search, and the file calls kept inside the map.
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "win/files.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::errorOf;
using win_testing::TestMachine;

// The names a search finds, joined by blanks ("-" and the error when it finds none).
std::string find(const std::string& pattern) {
  win::WIN32_FIND_DATAA data{};
  win::HANDLE h = win::FindFirstFile(pattern.c_str(), &data);
  if (h == win::INVALID_HANDLE_VALUE) return "- " + std::to_string(win::GetLastError());
  std::string names = data.cFileName;
  for (int i = 0; i < 100 && win::FindNextFile(h, &data); ++i) names += std::string(" ") + data.cFileName;
  EXPECT_EQ(win::GetLastError(), win::ERROR_NO_MORE_FILES);
  EXPECT_TRUE(win::FindClose(h));
  return names;
}

win::DWORD attributesFound(const std::string& path) {
  win::WIN32_FIND_DATAA data{};
  win::HANDLE h = win::FindFirstFile(path.c_str(), &data);
  if (h == win::INVALID_HANDLE_VALUE) return win::INVALID_FILE_ATTRIBUTES;
  win::FindClose(h);
  return data.dwFileAttributes;
}

TEST(FindFilesTest, FindsNamesWithWindowsWildcards) {
  TestMachine m;
  for (const char* name : {"README", "a.txt", "b.TXT", "archive.tar.gz", "noext", "x.html", "Sub/in.txt", "bad:name"})
    m.makeFile(std::string("App/") + name, "data");
  struct Case {
    const char* pattern;
    const char* names;
  } cases[] = {
      {"C:\\App\\*.*", ". .. a.txt archive.tar.gz b.TXT noext README Sub x.html"},
      {"C:\\App\\*", ". .. a.txt archive.tar.gz b.TXT noext README Sub x.html"},
      {"C:\\App\\*.", ". .. noext README Sub"},
      {"C:\\App\\*.txt", "a.txt b.TXT"},
      {"c:\\app\\?.TXT", "a.txt b.TXT"},
      {"C:\\App\\a??.txt", "a.txt"},
      {"C:\\App\\*.gz", "archive.tar.gz"},
      {"C:\\App\\*.tar", "- 2"},
      {"C:\\App\\*.htm", "- 2"},
      {"C:\\App\\readme", "README"},
      {"C:\\App\\noext.*", "noext"},
      {"C:\\App\\R*E", "README"},
      {"C:\\App\\Sub", "Sub"},
      {"C:\\App\\Sub\\*.*", ". .. in.txt"},
      {"C:\\*", "App TEMP WINDOWS"},
      {"C:\\App\\bad*", "- 2"},
      {"C:\\App\\", "- 2"},
      {"C:\\Nope\\*.*", "- 3"},
      {"C:\\App\\a.txt\\*", "- 3"},
      {"Q:\\*.*", "- 3"},
      {"C:\\App*\\x", "- 123"},
  };
  for (const auto& c : cases) EXPECT_EQ(find(c.pattern), c.names) << c.pattern;
}

TEST(FindFilesTest, ReportsAttributesSizesAndLinksAsReparsePoints) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/a.txt", "12345");
  m.makeFile("App/Data/f.txt", "f");
  TestMachine::writeText(m.stateDir() + "/outside/secret", "out");
  std::filesystem::create_directory_symlink(m.hostC("App/Data"), m.hostC("App/inner"));
  std::filesystem::create_directory_symlink(m.stateDir() + "/outside", m.hostC("App/outer"));
  ASSERT_TRUE(SetFileAttributes("C:\\App\\a.txt", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));

  WIN32_FIND_DATAA data{};
  HANDLE h = FindFirstFile("C:\\App\\A.TXT", &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, "a.txt");
  EXPECT_STREQ(data.cAlternateFileName, "");
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(errorOf(FindNextFile(h, &data)), ERROR_NO_MORE_FILES);
  EXPECT_TRUE(FindClose(h));
  EXPECT_EQ(errorOf(FindClose(h)), ERROR_INVALID_HANDLE);
  EXPECT_EQ(errorOf(FindNextFile(h, &data)), ERROR_INVALID_HANDLE);

  EXPECT_EQ(attributesFound("C:\\App\\Data"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(attributesFound("C:\\App\\inner"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(attributesFound("C:\\App\\outer") & FILE_ATTRIBUTE_REPARSE_POINT, FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(GetFileAttributes("C:\\App\\inner"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
  EXPECT_EQ(find("C:\\App\\inner\\*.txt"), "f.txt");
  EXPECT_EQ(find("C:\\App\\outer\\*"), "- 5");
}

TEST(FindFilesTest, FileCallsStayInsideTheMappedDrive) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/a.txt", "inside");
  m.makeFile("App/README", "readme");
  m.makeFile("App/bad:name", "invisible");
  TestMachine::writeText(m.stateDir() + "/outside/secret", "out");
  std::filesystem::create_directory_symlink(m.stateDir() + "/outside", m.hostC("App/outer"));

  HANDLE h = CreateFile("c:\\APP\\A.TXT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[16];
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  EXPECT_EQ(std::string(buffer, n), "inside");
  CloseHandle(h);

  h = CreateFile("C:\\App\\..\\..\\..\\x", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
  EXPECT_TRUE(std::filesystem::exists(m.hostC("x")));

  EXPECT_EQ(CreateFile("C:\\App\\outer\\secret", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\a.txt", "C:\\App\\outer\\planted", FALSE)), ERROR_ACCESS_DENIED);
  EXPECT_FALSE(std::filesystem::exists(m.stateDir() + "/outside/planted"));
  EXPECT_EQ(errorOf(DeleteFile("C:\\App\\outer\\secret")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/outside/secret"), "out");

  std::string longName = "C:\\App\\" + std::string(293, 'a');  // 300 characters
  EXPECT_EQ(CreateFile(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILENAME_EXCED_RANGE);
  EXPECT_EQ(find("C:\\App\\*.*"), ". .. a.txt outer README");
  EXPECT_EQ(GetFileAttributes("C:\\App\\bad:name"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_NAME);
}

TEST(FindFilesTest, BadNamesGetWindowsErrorsAndTouchNothing) {
  using namespace win;
  TestMachine m("[drives]\n\\\\srv\\share = $STATE/share\n");
  std::filesystem::create_directories(m.stateDir() + "/share");
  m.makeFile("App/src.txt", "src");
  ASSERT_EQ(GetFileAttributes("C:\\App"), FILE_ATTRIBUTE_DIRECTORY);  // the standard directories are made
  struct Case {
    const char* name;
    DWORD error;
  } cases[] = {
      {"C:\\App\\a*b.txt", ERROR_INVALID_NAME},
      {"C:\\App\\a?b", ERROR_INVALID_NAME},
      {"C:\\App\\a\x01"
       "b",
       ERROR_INVALID_NAME},
      {"C:\\App\\a|b", ERROR_INVALID_NAME},
      {"Q:\\a.txt", ERROR_PATH_NOT_FOUND},
      {"\\\\other\\share\\a.txt", ERROR_BAD_NETPATH},
      {"", ERROR_PATH_NOT_FOUND},
      {nullptr, ERROR_INVALID_PARAMETER},
  };
  auto before = std::distance(std::filesystem::recursive_directory_iterator(m.stateDir()),
                              std::filesystem::recursive_directory_iterator());
  for (const auto& c : cases) {
    std::string label = c.name ? c.name : "NULL";
    EXPECT_EQ(CreateFile(c.name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE) << label;
    EXPECT_EQ(GetLastError(), c.error) << label;
    EXPECT_EQ(errorOf(CreateDirectory(c.name, nullptr)), c.error) << label;
    EXPECT_EQ(errorOf(CopyFile("C:\\App\\src.txt", c.name, FALSE)), c.error) << label;
    EXPECT_EQ(errorOf(MoveFile("C:\\App", c.name)), c.error) << label;
    EXPECT_EQ(errorOf(SetFileAttributes(c.name, 0)), c.error) << label;
    EXPECT_EQ(_lcreat(c.name, 0), HFILE_ERROR) << label;
  }
  auto after = std::distance(std::filesystem::recursive_directory_iterator(m.stateDir()),
                             std::filesystem::recursive_directory_iterator());
  EXPECT_EQ(after, before);
}

}  // namespace
