// Profile calls: the bytes of a new file, edits that leave every other line
// as it was, reads cut to size, name lists, WIN.INI, the failures of the file
// layer, texts that could not be read back, and writers in parallel.
#include "win/profile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "win/error.h"
#include "win_testing/test_machine.h"

namespace {

using namespace std::string_literals;
using win::DWORD;
using win_testing::TestMachine;

std::string hostText(const std::string& path) {
  std::string text;
  platform::readWholeFile(path, text);
  return text;
}

ino_t inodeOf(const std::string& path) {
  struct stat st{};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

std::vector<std::string> namesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A read into a buffer of size bytes: what the call returned and the bytes it wrote.
struct Read {
  DWORD n;
  std::string bytes;
};

Read readString(const char* section, const char* key, const char* def, DWORD size, const char* file) {
  std::string buffer(size + 4, '#');
  DWORD n = win::GetPrivateProfileString(section, key, def, buffer.data(), size, file);
  EXPECT_EQ(buffer.substr(size), "####");  // nothing past the buffer
  buffer.resize(size);
  return {n, buffer.substr(0, buffer.find_last_not_of('#') + 1)};
}

TEST(ProfileTest, NewFileHoldsExactlyTheSectionAndTheKeyAndBareNamesLiveInTheWindowsDirectory) {
  TestMachine m;
  m.makeFile("App/readme.txt");
  ASSERT_TRUE(win::WritePrivateProfileString("Opts", "Mode", "fast", "C:\\App\\setup.ini"));
  EXPECT_EQ(hostText(m.hostC("App/setup.ini")), "[Opts]\r\nMode=fast\r\n");
  ASSERT_TRUE(win::WritePrivateProfileString("Opts", "Mode", "fast", "NEW.INI"));
  EXPECT_EQ(hostText(m.hostC("WINDOWS/NEW.INI")), "[Opts]\r\nMode=fast\r\n");
  EXPECT_EQ(readString("opts", "MODE", "", 16, "new.ini").bytes, "fast\0"s);
  // Deleting from a file that is not there creates nothing.
  EXPECT_TRUE(win::WritePrivateProfileString("Opts", "Mode", nullptr, "C:\\App\\none.ini"));
  EXPECT_TRUE(win::WritePrivateProfileString("Opts", nullptr, nullptr, "C:\\App\\none.ini"));
  EXPECT_FALSE(platform::fileExists(m.hostC("App/none.ini")));
}

TEST(ProfileTest, EditsChangeOnlyTheirOwnLines) {
  const std::string base =
      "; top comment\r\n[Opts]\r\nMode = slow\r\nOther=1\r\n\r\n[Keep]\n  Spaced  =  kept as is  \nlast=no line end";
  struct Case {
    const char* what;
    std::function<win::BOOL(const char*)> edit;
    std::string expected;  // "" = the file stays as it was, not even rewritten
  };
  const Case cases[] = {
      {"set an existing key", [](const char* f) { return win::WritePrivateProfileString("opts", "MODE", "fast", f); },
       "; top comment\r\n[Opts]\r\nMode=fast\r\nOther=1\r\n\r\n[Keep]\n  Spaced  =  kept as is  \nlast=no line end"},
      {"add a key before the blank line",
       [](const char* f) { return win::WritePrivateProfileString("Opts", "New", "x", f); },
       "; top comment\r\n[Opts]\r\nMode = slow\r\nOther=1\r\nNew=x\r\n\r\n[Keep]\n  Spaced  =  kept as is  \nlast=no line end"},
      {"add a key after a last line without its end",
       [](const char* f) { return win::WritePrivateProfileString("KEEP", "new", "y", f); },
       base + "\r\nnew=y\r\n"},
      {"add a section", [](const char* f) { return win::WritePrivateProfileString("Added", "k", "v", f); },
       base + "\r\n[Added]\r\nk=v\r\n"},
      {"delete a key", [](const char* f) { return win::WritePrivateProfileString("OPTS", "other", nullptr, f); },
       "; top comment\r\n[Opts]\r\nMode = slow\r\n\r\n[Keep]\n  Spaced  =  kept as is  \nlast=no line end"},
      {"delete a section", [](const char* f) { return win::WritePrivateProfileString("opts", nullptr, nullptr, f); },
       "; top comment\r\n[Keep]\n  Spaced  =  kept as is  \nlast=no line end"},
      {"replace a section",
       [](const char* f) { return win::WritePrivateProfileSection("Opts", "a=1\0b=2\0\0", f); },
       "; top comment\r\n[Opts]\r\na=1\r\nb=2\r\n\r\n[Keep]\n  Spaced  =  kept as is  \nlast=no line end"},
      {"delete a section by its lines", [](const char* f) { return win::WritePrivateProfileSection("Keep", nullptr, f); },
       "; top comment\r\n[Opts]\r\nMode = slow\r\nOther=1\r\n\r\n"},
      {"delete a missing key", [](const char* f) { return win::WritePrivateProfileString("Opts", "gone", nullptr, f); },
       ""},
      {"delete a missing section", [](const char* f) { return win::WritePrivateProfileString("Gone", nullptr, nullptr, f); },
       ""},
      {"set a key to the value its line has", [](const char* f) { return win::WritePrivateProfileString("Opts", "Other", "1", f); },
       ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TestMachine m;
    m.makeFile("App/app.ini", base);
    ino_t before = inodeOf(m.hostC("App/app.ini"));
    EXPECT_TRUE(c.edit("C:\\App\\APP.INI"));
    EXPECT_EQ(win::GetLastError(), win::ERROR_SUCCESS);
    EXPECT_EQ(hostText(m.hostC("App/app.ini")), c.expected.empty() ? base : c.expected);
    if (c.expected.empty()) {
      EXPECT_EQ(inodeOf(m.hostC("App/app.ini")), before);
    }
    EXPECT_EQ(namesIn(m.hostC("App")), std::vector<std::string>{"app.ini"});
  }
}

TEST(ProfileTest, ReadsGiveTheValueOrTheDefaultCutToTheBuffer) {
  TestMachine m;
  m.makeFile("App/r.ini",
             "[S]\r\nk = v \r\nq=\"quoted\"\r\nsq='x'\r\nhalf=\"open\r\nempty=\r\nlong=abcdef\r\n; c=comment\r\n"
             "noequals\r\n[T]\r\nK=dup1\r\n[s]\r\nlate=1\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* def;
    DWORD size;
    DWORD n;
    std::string bytes;
    DWORD error;
  };
  const DWORD notFound = win::ERROR_FILE_NOT_FOUND;
  const Case cases[] = {
      {"S", "k", "d", 16, 1, "v\0"s, 0},
      {"s", "K", "d", 16, 1, "v\0"s, 0},
      {"S", "q", "d", 16, 6, "quoted\0"s, 0},
      {"S", "sq", "d", 16, 1, "x\0"s, 0},
      {"S", "half", "d", 16, 5, "\"open\0"s, 0},
      {"S", "empty", "d", 16, 0, "\0"s, 0},
      {"S", "long", "d", 4, 3, "abc\0"s, 0},      // cut to size - 1
      {"S", "long", "d", 1, 0, "\0"s, 0},
      {"S", "c", "dflt  ", 16, 4, "dflt\0"s, notFound},  // a comment is no key; the default loses its blanks
      {"S", "late", nullptr, 16, 0, "\0"s, notFound},     // a repeated section is not read
      {"Missing", "k", "defaultvalue", 5, 4, "defa\0"s, notFound},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section) + "/" + c.key);
    Read r = readString(c.section, c.key, c.def, c.size, "C:\\App\\r.ini");
    EXPECT_EQ(r.n, c.n);
    EXPECT_EQ(r.bytes, c.bytes);
    EXPECT_EQ(win::GetLastError(), c.error);
  }
  EXPECT_EQ(readString("S", "k", "dflt", 16, "C:\\App\\missing.ini").bytes, "dflt\0"s);
  EXPECT_EQ(win::GetLastError(), win::ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(win::GetPrivateProfileString("S", "k", "d", nullptr, 16, "C:\\App\\r.ini"), 0u);
}

TEST(ProfileTest, NameListsEndInTwoNulsAndAreCutToSizeMinusTwo) {
  TestMachine m;
  m.makeFile("App/l.ini", "[Alpha]\r\none=1\r\nTwo=2\r\nONE=3\r\n[Beta]\r\n[alpha]\r\nthree=3\r\n");
  struct Case {
    const char* section;
    DWORD size;
    DWORD n;
    std::string bytes;
  };
  const Case cases[] = {
      {nullptr, 32, 11, "Alpha\0Beta\0\0"s},
      {nullptr, 8, 6, "Alpha\0\0\0"s},   // cut: the last name loses its end and two NULs follow
      {nullptr, 2, 0, "\0\0"s},
      {"ALPHA", 32, 8, "one\0Two\0\0"s},  // each key once
      {"Beta", 32, 0, "\0\0"s},
      {"Missing", 32, 0, "\0\0"s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.section ? c.section : "(sections)") + " in " + std::to_string(c.size));
    Read r = readString(c.section, nullptr, "ignored", c.size, "C:\\App\\l.ini");
    EXPECT_EQ(r.n, c.n);
    EXPECT_EQ(r.bytes, c.bytes);
  }
  std::string buffer(32, '#');
  EXPECT_EQ(win::GetPrivateProfileSection("alpha", buffer.data(), 32, "C:\\App\\l.ini"), 18u);
  EXPECT_EQ(buffer.substr(0, 19), "one=1\0Two=2\0ONE=3\0\0"s);
  EXPECT_EQ(win::GetPrivateProfileSectionNames(buffer.data(), 32, "C:\\App\\l.ini"), 11u);
  EXPECT_EQ(buffer.substr(0, 12), "Alpha\0Beta\0\0"s);
}

TEST(ProfileTest, IntegersAreTheLeadingDecimalOfTheValue) {
  TestMachine m;
  m.makeFile("App/i.ini", "[N]\r\na=12\r\nb= 34 \r\nc=-5\r\nd=7x\r\ne=x\r\nf=\"9\"\r\n");
  const std::pair<const char*, win::UINT> cases[] = {{"a", 12}, {"b", 34}, {"c", static_cast<win::UINT>(-5)},
                                                     {"d", 7},  {"e", 0},  {"f", 9},
                                                     {"missing", static_cast<win::UINT>(-1)}};
  for (const auto& [key, value] : cases) EXPECT_EQ(win::GetPrivateProfileInt("n", key, -1, "C:\\App\\i.ini"), value) << key;
}

TEST(ProfileTest, WinIniInTheWindowsDirectoryIsTheProfile) {
  TestMachine m("[dirs]\nwindows = C:\\WINNT\n");
  ASSERT_TRUE(win::WriteProfileString("Intl", "sLanguage", "ENU"));
  EXPECT_EQ(hostText(m.hostC("WINNT/WIN.INI")), "[Intl]\r\nsLanguage=ENU\r\n");
  char buffer[8];
  EXPECT_EQ(win::GetProfileString("INTL", "slanguage", "", buffer, sizeof buffer), 3u);
  EXPECT_STREQ(buffer, "ENU");
  EXPECT_EQ(win::GetPrivateProfileString("Intl", "sLanguage", "", buffer, sizeof buffer, "win.ini"), 3u);
  ASSERT_TRUE(win::WriteProfileString("Intl", "iCountry", "49"));
  EXPECT_EQ(win::GetProfileInt("intl", "ICOUNTRY", 1), 49u);
  ASSERT_TRUE(win::WriteProfileString("Intl", "sLanguage", nullptr));
  EXPECT_EQ(hostText(m.hostC("WINNT/WIN.INI")), "[Intl]\r\niCountry=49\r\n");
}

TEST(ProfileTest, FailuresOfTheFileLayerLeaveTheFileAsItWas) {
  TestMachine m(
      "[failures]\nbusy = C:\\App\\busy.ini\ndenied = C:\\App\\denied.ini\nshort-write = C:\\App\\short.ini 20\n"
      "read-error = C:\\App\\unreadable.ini\ncreate = C:\\App\\new.ini\n");
  const std::string old = "[S]\r\nk=old\r\n";
  for (const char* name : {"busy.ini", "denied.ini", "short.ini", "unreadable.ini", "readonly.ini"})
    m.makeFile("App/"s + name, old);
  ASSERT_EQ(::chmod(m.hostC("App/readonly.ini").c_str(), 0444), 0);
  struct Case {
    const char* file;
    DWORD writeError;
    DWORD readError;  // 0: the value reads
  };
  const Case cases[] = {
      {"C:\\App\\busy.ini", win::ERROR_SHARING_VIOLATION, 0},
      {"C:\\App\\denied.ini", win::ERROR_ACCESS_DENIED, win::ERROR_ACCESS_DENIED},
      {"C:\\App\\short.ini", win::ERROR_DISK_FULL, 0},
      {"C:\\App\\unreadable.ini", win::ERROR_READ_FAULT, win::ERROR_READ_FAULT},
      {"C:\\App\\readonly.ini", win::ERROR_ACCESS_DENIED, 0},
      {"C:\\App\\new.ini", win::ERROR_ACCESS_DENIED, win::ERROR_FILE_NOT_FOUND},
      {"C:\\Nowhere\\x.ini", win::ERROR_PATH_NOT_FOUND, win::ERROR_PATH_NOT_FOUND},
      {"Q:\\x.ini", win::ERROR_PATH_NOT_FOUND, win::ERROR_PATH_NOT_FOUND},
  };
  const auto before = namesIn(m.hostC("App"));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_FALSE(win::WritePrivateProfileString("S", "k", "a value longer than ten bytes", c.file));
    EXPECT_EQ(win::GetLastError(), c.writeError);
    char buffer[16];
    win::GetPrivateProfileString("S", "k", "default", buffer, sizeof buffer, c.file);
    EXPECT_STREQ(buffer, c.readError ? "default" : "old");
    if (c.readError) {
      EXPECT_EQ(win::GetLastError(), c.readError);
    }
  }
  for (const char* name : {"busy.ini", "denied.ini", "short.ini", "unreadable.ini", "readonly.ini"})
    EXPECT_EQ(hostText(m.hostC("App/"s + name)), old) << name;
  EXPECT_EQ(namesIn(m.hostC("App")), before);  // nothing created, no side file left
  EXPECT_TRUE(win::WritePrivateProfileString("S", "k", "ok", "C:\\App\\short.ini"));  // a file within the 20 bytes
}

TEST(ProfileTest, TextsThatCouldNotBeReadBackAreRefused) {
  TestMachine m;
  m.makeFile("App/t.ini", "[S]\r\nk=v\r\n");
  const char* file = "C:\\App\\t.ini";
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {"S", "k", "v\r\n[Evil]\r\nx=1"}, {"S", "k=v", "x"}, {"S", ";k", "x"}, {"S", "[k", "x"}, {"S", "", "x"},
      {"S]", "k", "x"},                 {"S\n", "k", "x"}, {nullptr, "k", "x"}, {"S", "k\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key ? c.key : "(null)") + " = " + (c.value ? c.value : "(null)"));
    EXPECT_FALSE(win::WritePrivateProfileString(c.section, c.key, c.value, file));
    EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_PARAMETER);
  }
  EXPECT_FALSE(win::WritePrivateProfileSection("S", "a=1\0b=\r\n[Evil]\0\0", file));
  EXPECT_EQ(hostText(m.hostC("App/t.ini")), "[S]\r\nk=v\r\n");
  EXPECT_TRUE(win::WritePrivateProfileString(nullptr, nullptr, nullptr, file));  // a flush
}

TEST(ProfileTest, WritersInParallelLoseNoKey) {
  TestMachine m;
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < 25; ++i) {
        std::string key = "k" + std::to_string(t) + "_" + std::to_string(i);
        EXPECT_TRUE(win::WritePrivateProfileString("Race", key.c_str(), "1", "RACE.INI"));
      }
    });
  for (auto& w : writers) w.join();
  std::string buffer(4096, '\0');
  win::GetPrivateProfileString("Race", nullptr, "", buffer.data(), 4096, "RACE.INI");
  std::size_t keys = 0;
  for (const char* p = buffer.data(); *p; p += std::strlen(p) + 1) ++keys;
  EXPECT_EQ(keys, 100u);
}

}  // namespace
