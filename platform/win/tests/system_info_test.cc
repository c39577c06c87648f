// System facts: version records of each platform, metrics, memory status and
// user name from machine.ini; MulDiv's rounding; global memory blocks.
#include "win/system.h"

#include <cstring>

#include <gtest/gtest.h>

#include "win/error.h"
#include "win/help_sound.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

struct VersionCase {
  const char* ini;
  win::DWORD platformId;
  win::DWORD build;
  win::DWORD version;
  const char* servicePack;
};

TEST(SystemInfoTest, VersionFollowsThePlatform) {
  const VersionCase cases[] = {
      {"", win::VER_PLATFORM_WIN32_NT, 1381, 0x05650004, ""},
      {"[system]\nservice-pack = Service Pack 6\n", win::VER_PLATFORM_WIN32_NT, 1381, 0x05650004, "Service Pack 6"},
      {"[system]\nplatform = 9x\n", win::VER_PLATFORM_WIN32_WINDOWS, 0x040003B6, 0x83B60004, ""},
      {"[system]\nplatform = 9x\nversion = 4.10\nbuild = 1998\nservice-pack =  A\n", win::VER_PLATFORM_WIN32_WINDOWS,
       0x040A07CE, 0x87CE0A04, "A"},
      {"[system]\nplatform = win32s\nversion = 3.10\nbuild = 153\n", win::VER_PLATFORM_WIN32s, 0x030A0099, 0x80990A03, ""},
      {"[system]\nversion = 5.0\nbuild = 2195\n", win::VER_PLATFORM_WIN32_NT, 2195, 0x08930005, ""},
  };
  for (const auto& c : cases) {
    TestMachine m(c.ini);
    win::OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(win::GetVersionEx(&info)) << c.ini;
    EXPECT_EQ(info.dwPlatformId, c.platformId) << c.ini;
    EXPECT_EQ(info.dwBuildNumber, c.build) << c.ini;
    EXPECT_STREQ(info.szCSDVersion, c.servicePack) << c.ini;
    EXPECT_EQ(win::GetVersion(), c.version) << c.ini;
  }
  TestMachine m;
  win::OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 20;
  EXPECT_FALSE(win::GetVersionEx(&info));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
}

struct MetricCase {
  int index;
  int value;
};

TEST(SystemInfoTest, MetricsComeFromTheScreenAndTheDocumentedSizes) {
  TestMachine m("[system]\nscreen = 800x600\n");
  const MetricCase cases[] = {
      {win::SM_CXSCREEN, 800},   {win::SM_CYSCREEN, 600},   {win::SM_CXDLGFRAME, 3}, {win::SM_CYDLGFRAME, 3},
      {win::SM_CYCAPTION, 19},   {win::SM_CXBORDER, 1},     {win::SM_CXICON, 32},    {win::SM_CXSMICON, 16},
      {win::SM_CYFULLSCREEN, 581}, {win::SM_DBCSENABLED, 0}, {9999, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(win::GetSystemMetrics(c.index), c.value) << c.index;
}

TEST(SystemInfoTest, MemoryAndUserComeFromTheDescription) {
  TestMachine m("[system]\nmemory = 32M\nuser = Jane Doe\ncodepage = 932\n");
  win::MEMORYSTATUS status{};
  win::GlobalMemoryStatus(&status);
  EXPECT_EQ(status.dwLength, sizeof status);
  EXPECT_EQ(status.dwTotalPhys, 32u << 20);
  EXPECT_EQ(status.dwAvailPhys, 16u << 20);
  EXPECT_EQ(status.dwMemoryLoad, 50u);
  EXPECT_GT(status.dwAvailVirtual, 0u);
  char buffer[16];
  win::DWORD size = 4;
  EXPECT_FALSE(win::GetUserName(buffer, &size));
  EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
  EXPECT_EQ(size, 9u);
  size = sizeof buffer;
  EXPECT_TRUE(win::GetUserName(buffer, &size));
  EXPECT_STREQ(buffer, "Jane Doe");
  EXPECT_EQ(size, 9u);
  EXPECT_EQ(win::GetACP(), 932u);
  EXPECT_EQ(win::GetOEMCP(), 932u);
  EXPECT_EQ(win::GetSystemMetrics(win::SM_DBCSENABLED), 1);
}

struct MulDivCase {
  int a, b, c, result;
};

TEST(SystemInfoTest, MulDivRoundsHalfAwayFromZero) {
  const MulDivCase cases[] = {
      {16, 96, 72, 21},  {16, 120, 72, 27}, {-16, 96, 72, -21}, {5, 1, 2, 3},       {-5, 1, 2, -3},
      {5, 1, -2, -3},    {7, 1, 3, 2},      {1, 1, 0, -1},      {0x7FFFFFFF, 2, 1, -1},
      {0x40000000, 4, 2, -1}, {0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF},
  };
  for (const auto& c : cases) EXPECT_EQ(win::MulDiv(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
}

TEST(SystemInfoTest, GlobalMemoryIsPlainMemoryAndUnknownHandlesFail) {
  win::HGLOBAL h = win::GlobalAlloc(win::GHND, 100);
  ASSERT_NE(h, nullptr);
  auto* p = static_cast<unsigned char*>(win::GlobalLock(h));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p[0], 0);
  EXPECT_EQ(p[99], 0);
  EXPECT_EQ(win::GlobalSize(h), 100u);
  EXPECT_FALSE(win::GlobalUnlock(h));
  EXPECT_EQ(win::GetLastError(), win::NO_ERROR);
  EXPECT_EQ(win::GlobalFree(h), nullptr);
  EXPECT_EQ(win::GlobalFree(h), h);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_EQ(win::GlobalLock(h), nullptr);
  EXPECT_EQ(win::GlobalSize(h), 0u);
}

}  // namespace

TEST(SystemInfoTest, SoundOutputDevicesComeFromTheDescription) {
  struct Case {
    const char* ini;
    win::UINT wave, midi;
  } cases[] = {{"", 1, 1}, {"[system]\nwave = 0\nmidi = 3\n", 0, 3}};
  for (const Case& c : cases) {
    TestMachine m(c.ini);
    EXPECT_EQ(win::waveOutGetNumDevs(), c.wave) << c.ini;
    EXPECT_EQ(win::midiOutGetNumDevs(), c.midi) << c.ini;
  }
}
