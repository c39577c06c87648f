// The path model: the Windows forms, ".." at the root, limits and bad names,
// and the host mapping (case-blind lookup, links kept inside the drive,
// invisible host names, reverse mapping, the long-name form).
#include "win/path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "win/error.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

win::WinPath parseOrFail(const std::string& text) {
  auto p = win::parsePath(text);
  EXPECT_TRUE(p) << text << " error " << win::GetLastError();
  return p ? *p : win::WinPath();
}

struct FormCase {
  const char* text;
  const char* full;
};

TEST(PathTest, ResolvesEveryFormAgainstTheCurrentDirectory) {
  TestMachine m;
  m.machine().setCurrentDirectory(parseOrFail("C:\\Work\\Sub"));
  const FormCase cases[] = {
      {"C:\\App\\a.txt", "C:\\App\\a.txt"},
      {"c:/app/b", "C:\\app\\b"},
      {"\\\\srv\\share\\x\\y", "\\\\srv\\share\\x\\y"},
      {"//srv/share", "\\\\srv\\share\\"},
      {"C:rel", "C:\\Work\\Sub\\rel"},
      {"D:rel", "D:\\rel"},
      {"C:", "C:\\Work\\Sub"},
      {"\\rooted", "C:\\rooted"},
      {"rel\\x", "C:\\Work\\Sub\\rel\\x"},
      {"..\\up", "C:\\Work\\up"},
      {".", "C:\\Work\\Sub"},
      {"C:\\App\\..\\..\\..\\x", "C:\\x"},
      {"\\\\srv\\share\\..\\..\\x", "\\\\srv\\share\\x"},
      {"C:\\a\\.\\b\\\\\\c", "C:\\a\\b\\c"},
      {"C:\\TEMP\\", "C:\\TEMP\\"},
      {"C:\\name. .", "C:\\name"},
      {"C:\\dir.\\x", "C:\\dir\\x"},
  };
  for (const auto& c : cases) EXPECT_EQ(parseOrFail(c.text).text(), c.full) << c.text;
}

struct BadCase {
  std::string text;
  win::DWORD error;
};

TEST(PathTest, RefusesBadPathsWithWindowsErrors) {
  TestMachine m;
  m.machine().setCurrentDirectory(parseOrFail("C:\\Work\\Sub"));  // 11 characters
  const BadCase cases[] = {
      {"", win::ERROR_PATH_NOT_FOUND},
      {"C:\\" + std::string(297, 'a'), win::ERROR_FILENAME_EXCED_RANGE},            // 300 characters
      {std::string(248, 'a'), win::ERROR_FILENAME_EXCED_RANGE},                     // 260 once resolved
      {"C:\\" + std::string(256, 'a'), win::ERROR_FILENAME_EXCED_RANGE},            // one name too long
      {"C:\\a*b", win::ERROR_INVALID_NAME},
      {"C:\\a?\\b", win::ERROR_INVALID_NAME},
      {std::string("C:\\a\0b", 6), win::ERROR_INVALID_NAME},
      {"C:\\a|b", win::ERROR_INVALID_NAME},
      {"C:\\a:b", win::ERROR_INVALID_NAME},
      {"C:\\a<b>", win::ERROR_INVALID_NAME},
      {"C:\\a\x01", win::ERROR_INVALID_NAME},
      {"1:\\x", win::ERROR_INVALID_NAME},
      {"\\\\srv", win::ERROR_BAD_PATHNAME},
      {"\\\\?\\C:\\x", win::ERROR_BAD_PATHNAME},
  };
  for (const auto& c : cases) {
    win::SetLastError(0);
    EXPECT_FALSE(win::parsePath(c.text)) << c.text;
    EXPECT_EQ(win::GetLastError(), c.error) << c.text;
  }
  EXPECT_EQ(parseOrFail(std::string(247, 'a')).text().size(), 259u);  // the longest path there is
  for (const char* last : {"*.*", "*.", "QD?????.TMP"}) {
    auto pattern = win::parsePath(std::string("C:\\x\\") + last, win::kWildcardsInLast);
    ASSERT_TRUE(pattern) << last;
    EXPECT_EQ(pattern->name(), last);
  }
  win::SetLastError(0);
  EXPECT_FALSE(win::parsePath("C:\\*\\x", win::kWildcardsInLast));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_NAME);
}

TEST(PathTest, ComparesWithoutRegardToCase) {
  TestMachine m;
  EXPECT_TRUE(win::pathsEqual(parseOrFail("C:\\App\\A.TXT"), parseOrFail("c:/app/a.txt")));
  EXPECT_TRUE(win::pathsEqual(parseOrFail("C:\\TEMP\\"), parseOrFail("c:\\temp")));
  EXPECT_TRUE(win::pathsEqual(parseOrFail("\\\\SRV\\Share\\x"), parseOrFail("\\\\srv\\share\\X")));
  EXPECT_FALSE(win::pathsEqual(parseOrFail("C:\\App"), parseOrFail("C:\\App2")));
  EXPECT_FALSE(win::pathsEqual(parseOrFail("C:\\App"), parseOrFail("D:\\App")));
}

TEST(PathTest, MapsOntoTheDriveFindingNamesCaseBlind) {
  TestMachine m;
  m.makeFile("App/a.txt", "x");
  m.makeFile("App/README");
  m.makeFile("App/Readme");
  struct Case {
    const char* text;
    const char* host;  // below drive C
    std::size_t found;
  } cases[] = {
      {"C:\\App\\a.txt", "App/a.txt", 2},
      {"c:\\APP\\A.TXT", "App/a.txt", 2},
      {"C:\\App\\..\\..\\..\\x", "x", 0},
      {"C:\\App\\Readme", "App/Readme", 2},     // the exact name first
      {"C:\\App\\readme", "App/README", 2},     // else the first match in byte order
      {"C:\\app\\Nope\\x.txt", "App/Nope/x.txt", 1},
  };
  for (const auto& c : cases) {
    auto r = win::mapToHost(c.text);
    ASSERT_TRUE(r) << c.text;
    EXPECT_EQ(r->host, m.hostC(c.host)) << c.text;
    EXPECT_EQ(r->found, c.found) << c.text;
  }
  EXPECT_TRUE(win::mapToHost("C:\\APP\\A.TXT")->exists());
  EXPECT_FALSE(win::mapToHost("C:\\App\\b.txt")->exists());
  EXPECT_TRUE(win::mapToHost("C:\\App\\b.txt")->parentExists());
  EXPECT_FALSE(win::mapToHost("C:\\App\\Nope\\b.txt")->parentExists());
  win::SetLastError(0);
  EXPECT_FALSE(win::mapToHost("C:\\App\\a.txt\\y"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(win::mapToHost("Q:\\x"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(win::mapToHost("\\\\nosuch\\share\\x"));
  EXPECT_EQ(win::GetLastError(), win::ERROR_BAD_NETPATH);

  m.machine().setCurrentDirectory(parseOrFail("C:\\App"));
  auto relative = win::mapToHost("A.TXT");
  ASSERT_TRUE(relative);
  EXPECT_EQ(relative->host, m.hostC("App/a.txt"));
}

TEST(PathTest, FollowsLinksOnlyInsideTheDrive) {
  TestMachine m;
  m.makeFile("Data/f.txt", "in");
  TestMachine::writeText(m.stateDir() + "/outside/secret", "out");
  std::filesystem::create_directories(m.hostC("App"));
  struct Link {
    const char* name;
    std::string target;
  } links[] = {
      {"in", m.hostC("Data")},
      {"relin", "../Data"},
      {"out", m.stateDir() + "/outside"},
      {"relout", "../../../outside"},
      {"dangling", m.stateDir() + "/outside/new-file"},
      {"chain", "relout"},
  };
  for (const auto& l : links) ASSERT_EQ(::symlink(l.target.c_str(), m.hostC(std::string("App/") + l.name).c_str()), 0);
  struct Case {
    const char* text;
    const char* host;  // nullptr: refused with ERROR_ACCESS_DENIED
  } cases[] = {
      {"C:\\App\\in\\f.txt", "Data/f.txt"},
      {"C:\\App\\RELIN\\F.TXT", "Data/f.txt"},
      {"C:\\App\\in", "App/in"},  // the link itself, as DeleteFile needs it
      {"C:\\App\\out\\secret", nullptr},
      {"C:\\App\\out", nullptr},
      {"C:\\App\\relout\\secret", nullptr},
      {"C:\\App\\dangling", nullptr},
      {"C:\\App\\chain\\secret", nullptr},
  };
  for (const auto& c : cases) {
    win::SetLastError(0);
    auto r = win::mapToHost(c.text);
    if (c.host) {
      ASSERT_TRUE(r) << c.text;
      EXPECT_EQ(r->host, m.hostC(c.host)) << c.text;
    } else {
      EXPECT_FALSE(r) << c.text;
      EXPECT_EQ(win::GetLastError(), win::ERROR_ACCESS_DENIED) << c.text;
    }
  }
}

TEST(PathTest, HostNamesInvalidOnWindowsAreInvisible) {
  TestMachine m;
  m.makeFile("App/Sub\\Dir", "a name with a backslash");
  m.makeFile("App/TRAIL.", "a name with a final dot");
  auto r = win::mapToHost("C:\\App\\sub\\dir");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->found, 1u);  // "Sub\Dir" is no match for "sub" then "dir"
  for (const char* name : {"README", "a b.txt", "QDJ1234.TMP"}) EXPECT_TRUE(win::isValidWindowsName(name)) << name;
  for (const char* name : {"a:b", "Sub\\Dir", "a/b", "x\x01", "a*", "q?", "say\"", "<a>", "p|q", "TRAIL.", "end ", ""})
    EXPECT_FALSE(win::isValidWindowsName(name)) << name;
}

TEST(PathTest, ReverseMapsHostPathsToTheDeepestDrive) {
  TestMachine m("[drives]\nD = $STATE/drives/C/Sub\n\\\\srv\\share = $STATE/share\n");
  EXPECT_EQ(win::hostToWindows(m.hostC("App/a.txt")), "C:\\App\\a.txt");
  EXPECT_EQ(win::hostToWindows(m.driveC()), "C:\\");
  EXPECT_EQ(win::hostToWindows(m.hostC("Sub/f")), "D:\\f");
  EXPECT_EQ(win::hostToWindows(m.stateDir() + "/share/x/../y"), "\\\\srv\\share\\y");
  EXPECT_FALSE(win::hostToWindows(m.stateDir() + "/elsewhere"));
  EXPECT_FALSE(win::hostToWindows(m.hostC("bad:name")));
  EXPECT_FALSE(win::hostToWindows("relative/path"));
}

TEST(PathTest, LongNameFormTakesTheCaseOnDisk) {
  TestMachine m;
  m.makeFile("Program Files/MyApp/Setup.Ini");
  EXPECT_EQ(win::longPathName("c:\\program files\\myapp\\setup.ini"), "C:\\Program Files\\MyApp\\Setup.Ini");
  EXPECT_EQ(win::longPathName("c:/PROGRAM FILES/myapp/setup.ini/../New/x"), "C:\\Program Files\\MyApp\\New\\x");
  EXPECT_EQ(win::longPathName("q:\\Some\\Path\\"), "Q:\\Some\\Path\\");
  EXPECT_FALSE(win::longPathName("C:\\bad|name"));
}

TEST(PathTest, CreatesTheStandardDirectoriesOnFirstUseReusingExistingNames) {
  TestMachine m;
  std::filesystem::create_directories(m.hostC("windows"));
  EXPECT_FALSE(std::filesystem::exists(m.hostC("TEMP")));
  ASSERT_TRUE(win::mapToHost("C:\\x"));
  EXPECT_TRUE(std::filesystem::is_directory(m.hostC("windows/SYSTEM")));
  EXPECT_TRUE(std::filesystem::is_directory(m.hostC("TEMP")));
  EXPECT_FALSE(std::filesystem::exists(m.hostC("WINDOWS")));
}

}  // namespace
