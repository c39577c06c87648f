// Libraries: any mapped file loads and resolves; bare names are searched;
// missing files and non-libraries give Windows errors; DllMain sees attach
// and detach once per load; the built-in KERNEL32 and MPR and their switches;
// LoadLibraryEx failures; module names, handles and the transcript.
#include "win/library.h"
#include "win/resource.h"

#include <gtest/gtest.h>

#include "platform_testing/temp_dir.h"
#include "test_programs.h"
#include "win/error.h"
#include "win/process.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

template <typename F>
F proc(win::HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(win::GetProcAddress(module, name)));
}

std::string moduleFileName(win::HMODULE module) {
  char buffer[win::MAX_PATH];
  win::DWORD n = win::GetModuleFileName(module, buffer, sizeof buffer);
  return std::string(buffer, n);
}

// The DllMain calls of the test library, one "attach|detach <handle> <reserved set>" per line.
class LibraryLog {
 public:
  LibraryLog() : env_("IDS_TEST_LIBRARY_LOG", dir_.file("log")) {}
  std::string text() const { return TestMachine::readText(dir_.file("log")); }

 private:
  platform_testing::TempDir dir_;
  platform_testing::ScopedEnv env_;
};

TEST(LibraryTest, LoadsALibraryOfAnyNameAndResolvesItsExports) {
  TestMachine m;
  win_tests::installTestLibrary(m, "TEMP/QDH1.TMP");
  win::HMODULE h = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
  ASSERT_NE(h, nullptr) << win::GetLastError();
  auto answer = proc<int (*)()>(h, "TestLibraryAnswer");
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(proc<win::HINSTANCE (*)()>(h, "TestLibraryInstance")(), h);
  EXPECT_EQ(win::GetProcAddress(h, "NoSuchExport"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PROC_NOT_FOUND);
  EXPECT_EQ(win::GetProcAddress(h, "GetDiskFreeSpaceExA"), nullptr);  // KERNEL32's, not this module's
  EXPECT_EQ(moduleFileName(h), "C:\\TEMP\\QDH1.TMP");
  EXPECT_EQ(win::GetModuleHandle("qdh1.tmp"), h);
  EXPECT_EQ(win::GetModuleHandle("c:/temp/QDH1.TMP"), h);
  EXPECT_TRUE(win::FreeLibrary(h));
  EXPECT_EQ(win::GetModuleHandle("QDH1.TMP"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);
}

struct SearchCase {
  const char* name;
  const char* found;
};

TEST(LibraryTest, SearchesBareNamesInTheProgramDirectoryThenSystemThenWindows) {
  TestMachine m;
  ASSERT_TRUE(win::declareModulePath("C:\\Setup\\SETUP.EXE"));
  win_tests::installTestLibrary(m, "WINDOWS/SYSTEM/CTL3D32.DLL");
  win_tests::installTestLibrary(m, "WINDOWS/ODBCCP32.DLL");
  win_tests::installTestLibrary(m, "WINDOWS/SYSTEM/hook.dll");
  win_tests::installTestLibrary(m, "Setup/Hook.dll");
  const SearchCase cases[] = {
      {"ctl3d32.dll", "C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL"},
      {"CTL3D32", "C:\\WINDOWS\\SYSTEM\\CTL3D32.DLL"},
      {"odbccp32.dll", "C:\\WINDOWS\\ODBCCP32.DLL"},
      {"HOOK.DLL", "C:\\Setup\\Hook.dll"},
  };
  for (const auto& c : cases) {
    win::HMODULE h = win::LoadLibrary(c.name);
    ASSERT_NE(h, nullptr) << c.name << " error " << win::GetLastError();
    EXPECT_EQ(moduleFileName(h), c.found) << c.name;
    EXPECT_TRUE(win::FreeLibrary(h));
  }
}

struct LoadErrorCase {
  const char* name;
  win::DWORD error;
};

TEST(LibraryTest, RefusesWhatIsNoLibrary) {
  TestMachine m;
  m.makeFile("App/text.dll", "this is text, not a library\n");
  m.makeFile("App/empty.dll", "");
  win_tests::installProbe(m, "App/probe.exe");
  const LoadErrorCase cases[] = {
      {"absent.dll", win::ERROR_MOD_NOT_FOUND},
      {"C:\\App\\absent.dll", win::ERROR_MOD_NOT_FOUND},
      {"C:\\Nope\\x.dll", win::ERROR_MOD_NOT_FOUND},
      {"C:\\App", win::ERROR_MOD_NOT_FOUND},
      {"Q:\\x.dll", win::ERROR_MOD_NOT_FOUND},
      {"C:\\App\\text.dll", win::ERROR_BAD_EXE_FORMAT},
      {"C:\\App\\empty.dll", win::ERROR_BAD_EXE_FORMAT},
      {"C:\\App\\probe.exe", win::ERROR_BAD_EXE_FORMAT},
      {"", win::ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::LoadLibrary(c.name), nullptr) << c.name;
    EXPECT_EQ(win::GetLastError(), c.error) << c.name;
  }
}

TEST(LibraryTest, DllMainSeesOneAttachAndOneDetachPerLoadedModule) {
  LibraryLog log;
  TestMachine m;
  win_tests::installTestLibrary(m, "TEMP/QDH1.TMP");
  win::HMODULE h = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
  ASSERT_NE(h, nullptr);
  std::string handle = std::to_string(win::handleValue(h));
  EXPECT_EQ(win::LoadLibrary("c:\\temp\\..\\TEMP\\qdh1.tmp"), h);  // the same file: one more reference
  EXPECT_EQ(log.text(), "attach " + handle + " 0\n");
  EXPECT_TRUE(win::FreeLibrary(h));
  EXPECT_EQ(log.text(), "attach " + handle + " 0\n");
  EXPECT_TRUE(win::FreeLibrary(h));
  EXPECT_EQ(log.text(), "attach " + handle + " 0\ndetach " + handle + " 0\n");
  EXPECT_FALSE(win::FreeLibrary(h));
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);

  win::HMODULE quiet = win::LoadLibraryEx("C:\\TEMP\\QDH1.TMP", nullptr, win::DONT_RESOLVE_DLL_REFERENCES);
  ASSERT_NE(quiet, nullptr);
  EXPECT_TRUE(win::FreeLibrary(quiet));
  EXPECT_EQ(log.text(), "attach " + handle + " 0\ndetach " + handle + " 0\n");
}

TEST(LibraryTest, ARefusedAttachUnloadsTheLibrary) {
  LibraryLog log;
  TestMachine m;
  win_tests::installTestLibrary(m, "TEMP/QDH1.TMP");
  win::HMODULE h = nullptr;
  {
    platform_testing::ScopedEnv refuse("IDS_TEST_LIBRARY_REFUSE", "1");
    EXPECT_EQ(win::LoadLibrary("C:\\TEMP\\QDH1.TMP"), nullptr);
    EXPECT_EQ(win::GetLastError(), win::ERROR_DLL_INIT_FAILED);
  }
  EXPECT_EQ(win::GetModuleHandle("QDH1.TMP"), nullptr);
  h = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(win::handleValue(h), 0x10020000u);  // the refused load used up 0x10010000
  EXPECT_TRUE(win::FreeLibrary(h));
}

TEST(LibraryTest, LibrariesLoadedAtExitSeeADetachWithReservedSet) {
  LibraryLog log;
  std::string handle;
  {
    TestMachine m;
    win_tests::installTestLibrary(m, "TEMP/QDH1.TMP");
    win::HMODULE h = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
    ASSERT_NE(h, nullptr);
    handle = std::to_string(win::handleValue(h));
  }
  EXPECT_EQ(log.text(), "attach " + handle + " 0\ndetach " + handle + " 1\n");
}

TEST(LibraryTest, ModuleHandlesAreNumberedInLoadOrderAndNeverReused) {
  TestMachine m;
  win_tests::installTestLibrary(m, "TEMP/A.DLL");
  win_tests::installTestLibrary(m, "TEMP/B.DLL");
  EXPECT_EQ(win::handleValue(win::GetModuleHandle(nullptr)), 0x00400000u);
  EXPECT_EQ(win::handleValue(win::GetModuleHandle("KERNEL32.DLL")), 0x10000000u);
  win::HMODULE a = win::LoadLibrary("C:\\TEMP\\A.DLL");
  win::HMODULE b = win::LoadLibrary("C:\\TEMP\\B.DLL");
  EXPECT_EQ(win::handleValue(a), 0x10010000u);
  EXPECT_EQ(win::handleValue(b), 0x10020000u);
  EXPECT_TRUE(win::FreeLibrary(a));
  EXPECT_EQ(win::handleValue(win::LoadLibrary("C:\\TEMP\\A.DLL")), 0x10030000u);
}

TEST(LibraryTest, Kernel32IsAlwaysThereAndItsFreeSpaceExportIsSwitchable) {
  {
    TestMachine m("[free-space]\nC = 10M\n");
    win::HMODULE k = win::GetModuleHandle("kernel32");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(win::LoadLibrary("KERNEL32.DLL"), k);
    EXPECT_TRUE(win::FreeLibrary(k));
    EXPECT_TRUE(win::FreeLibrary(k));  // never unloaded
    EXPECT_EQ(win::GetModuleHandle("KERNEL32.DLL"), k);
    EXPECT_EQ(moduleFileName(k), "C:\\WINDOWS\\SYSTEM\\KERNEL32.DLL");
    using FreeSpace = win::BOOL (*)(win::LPCSTR, win::PULARGE_INTEGER, win::PULARGE_INTEGER, win::PULARGE_INTEGER);
    auto freeSpace = proc<FreeSpace>(k, "GetDiskFreeSpaceExA");
    ASSERT_NE(freeSpace, nullptr);
    win::ULARGE_INTEGER caller{}, total{}, totalFree{};
    EXPECT_TRUE(freeSpace("C:\\", &caller, &total, &totalFree));  // the files layer's answer
    EXPECT_EQ(caller.QuadPart, 10ull << 20);
    EXPECT_EQ(totalFree.QuadPart, 10ull << 20);
    EXPECT_GE(total.QuadPart, caller.QuadPart);
    EXPECT_FALSE(freeSpace("Q:\\", &caller, &total, &totalFree));
  }
  TestMachine m("[libraries]\ngetdiskfreespaceex = 0\n");
  EXPECT_EQ(win::GetProcAddress(win::GetModuleHandle("KERNEL32.DLL"), "GetDiskFreeSpaceExA"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_PROC_NOT_FOUND);
}

TEST(LibraryTest, MprAnswersTheUserAndConnectionsUnlessSwitchedOff) {
  platform_testing::TempDir share;
  TestMachine m("[system]\nuser = Jane\n[drives]\nX = " + share.path() + "\n\\\\srv\\share = " + share.path() + "\n");
  win::HMODULE mpr = win::LoadLibrary("mpr");
  ASSERT_NE(mpr, nullptr);
  using NetCall = win::DWORD (*)(win::LPCSTR, win::LPSTR, win::LPDWORD);
  auto getUser = proc<NetCall>(mpr, "WNetGetUserA");
  auto getConnection = proc<NetCall>(mpr, "WNetGetConnectionA");
  ASSERT_NE(getUser, nullptr);
  ASSERT_NE(getConnection, nullptr);
  char buffer[256];
  win::DWORD length = sizeof buffer;
  EXPECT_EQ(getUser(nullptr, buffer, &length), win::NO_ERROR);
  EXPECT_STREQ(buffer, "Jane");
  length = 4;
  EXPECT_EQ(getUser(nullptr, buffer, &length), win::ERROR_MORE_DATA);
  EXPECT_EQ(length, 5u);
  length = sizeof buffer;
  EXPECT_EQ(getConnection("x:", buffer, &length), win::NO_ERROR);
  EXPECT_STREQ(buffer, "\\\\srv\\share");
  length = sizeof buffer;
  EXPECT_EQ(getConnection("C:", buffer, &length), win::ERROR_NOT_CONNECTED);
  EXPECT_EQ(getConnection("printer", buffer, &length), win::ERROR_BAD_DEVICE);
  EXPECT_EQ(getUser("C:", buffer, &length), win::ERROR_NOT_CONNECTED);
  EXPECT_TRUE(win::FreeLibrary(mpr));

  TestMachine off("[libraries]\nmpr = 0\n");
  EXPECT_EQ(win::LoadLibrary("MPR.DLL"), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);
  win_tests::installTestLibrary(off, "WINDOWS/SYSTEM/MPR.DLL");  // then a double can stand in
  win::HMODULE dbl = win::LoadLibrary("MPR.DLL");
  ASSERT_NE(dbl, nullptr);
  EXPECT_NE(win::GetProcAddress(dbl, "TestLibraryAnswer"), nullptr);
  EXPECT_TRUE(win::FreeLibrary(dbl));
}

TEST(LibraryTest, User16CarriesTheOwnerStringsOnWindows9xOnly) {
  struct Case {
    const char* ini;
    bool present;
    const char* owner;
    const char* organization;
  };
  const Case cases[] = {
      {"[system]\nplatform = 9x\nowner = Jane Doe\norganization = Acme\n", true, "Jane Doe", "Acme"},
      {"[system]\nplatform = win32s\n", true, "", ""},
      {"[system]\nplatform = nt\nowner = Jane\n", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    TestMachine m(c.ini);
    win::HMODULE user = win::LoadLibrary("USER.EXE");
    ASSERT_EQ(user != nullptr, c.present);
    if (!user) continue;
    char text[64];
    win::LoadString(user, 514, text, sizeof text);
    EXPECT_STREQ(text, c.owner);
    win::LoadString(user, 515, text, sizeof text);
    EXPECT_STREQ(text, c.organization);
    EXPECT_EQ(win::LoadString(user, 516, text, sizeof text), 0);
    EXPECT_EQ(win::GetProcAddress(user, "WNETGETUSER"), nullptr);
    EXPECT_TRUE(win::FreeLibrary(user));
  }
}

TEST(LibraryTest, InjectedLoadLibraryExFailuresLeaveThePlainLoadWorking) {
  TestMachine m("[failures]\nloadlibraryex = *\\qdh*.tmp\n");
  win_tests::installTestLibrary(m, "TEMP/QDH1.TMP");
  EXPECT_EQ(win::LoadLibraryEx("C:\\TEMP\\QDH1.TMP", nullptr, 0), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);
  win::HMODULE h = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(win::LoadLibraryEx("QDH1.TMP", nullptr, 0), nullptr);  // loaded, but the extended load still fails
  EXPECT_EQ(win::LoadLibraryEx("C:\\TEMP\\QDH1.TMP", nullptr, 0x2), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(win::FreeLibrary(h));
}

TEST(LibraryTest, ModuleFileNameIsCutToTheBuffer) {
  TestMachine m;
  ASSERT_TRUE(win::declareModulePath("c:\\setup\\setup.exe"));
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(win::GetModuleFileName(nullptr, buffer, sizeof buffer), 8u);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INSUFFICIENT_BUFFER);
  EXPECT_STREQ(buffer, "C:\\setu");
  EXPECT_EQ(moduleFileName(nullptr), "C:\\setup\\setup.exe");
  EXPECT_EQ(win::GetModuleHandle("SETUP.EXE"), win::GetModuleHandle(nullptr));
  EXPECT_EQ(win::GetModuleFileName(win::handleFromValue<win::HMODULE>(0x12345678), buffer, sizeof buffer), 0u);
  EXPECT_EQ(win::GetLastError(), win::ERROR_MOD_NOT_FOUND);
}

TEST(LibraryTest, LoadsFreesAndFailuresGoToTheTranscript) {
  TestMachine m("[ui]\ntranscript = $STATE/transcript.jsonl\n");
  win_tests::installTestLibrary(m, "TEMP/QDH1.TMP");
  win::HMODULE h = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(win::FreeLibrary(h));
  EXPECT_EQ(win::LoadLibrary("ctl3d32.dll"), nullptr);
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/transcript.jsonl"),
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"library-load\",\"name\":\"C:\\\\TEMP\\\\QDH1.TMP\","
            "\"path\":\"C:\\\\TEMP\\\\QDH1.TMP\",\"module\":268500992,\"refs\":1}\n"
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"library-free\",\"path\":\"C:\\\\TEMP\\\\QDH1.TMP\","
            "\"module\":268500992,\"refs\":0}\n"
            "{\"t\":0,\"prog\":\"WIN_TESTS\",\"ev\":\"library-load-failed\",\"name\":\"ctl3d32.dll\",\"error\":126}\n");
}

}  // namespace
