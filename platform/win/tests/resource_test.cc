// Resources: lookups by number, by name and by "#number" in a library's
// table and in the executable's own; the FindResource family, LoadString and
// the errors for missing types, names, tables and modules.
#include "win/resource.h"

#include <cstring>

#include <gtest/gtest.h>

#include "test_programs.h"
#include "win/error.h"
#include "win/library.h"
#include "win_testing/test_machine.h"

namespace {

const char kExecutableString[] = "from the executable";
const win::ResourceEntry kExecutableEntries[] = {
    {win::RT_STRING_ID, nullptr, 1, nullptr, kExecutableString, sizeof kExecutableString - 1},
};

}  // namespace

// The test executable's own table (it exports its symbols).
IDS_WIN_RESOURCE_TABLE(kExecutableEntries);

namespace {

using win_testing::TestMachine;

// The test library loaded for the life of a test.
class LibraryResources : public ::testing::Test {
 protected:
  void SetUp() override {
    win_tests::installTestLibrary(machine_, "TEMP/QDH1.TMP");
    module_ = win::LoadLibrary("C:\\TEMP\\QDH1.TMP");
    ASSERT_NE(module_, nullptr);
  }
  void TearDown() override { win::FreeLibrary(module_); }

  std::string bytesOf(win::LPCSTR type, win::LPCSTR name) {
    win::HRSRC r = win::FindResource(module_, name, type);
    if (!r) return "<" + std::to_string(win::GetLastError()) + ">";
    const void* data = win::LockResource(win::LoadResource(module_, r));
    return std::string(static_cast<const char*>(data), win::SizeofResource(module_, r));
  }

  TestMachine machine_;
  win::HMODULE module_ = nullptr;
};

struct LookupCase {
  win::LPCSTR type;
  win::LPCSTR name;
  std::string bytes;
};

TEST_F(LibraryResources, FindsResourcesByNumberNameAndNumberText) {
  const LookupCase cases[] = {
      {win::RT_DIALOG, win::MAKEINTRESOURCE(106), std::string("\xC0\x00\xC8\x80\0\0\0\0\0\0", 10)},
      {win::MAKEINTRESOURCE(300), win::MAKEINTRESOURCE(30202), std::string("MZ\x90\0", 4)},
      {win::MAKEINTRESOURCE(300), "#30202", std::string("MZ\x90\0", 4)},
      {"texts", "greeting", "hello"},
      {"TEXTS", "GREETING", "hello"},
      {win::RT_DIALOG, win::MAKEINTRESOURCE(107), "<1814>"},
      {win::RT_DIALOG, "#10x", "<1814>"},
      {win::RT_BITMAP, win::MAKEINTRESOURCE(105), "<1813>"},
      {"TEXTS", win::MAKEINTRESOURCE(1), "<1814>"},
  };
  for (const auto& c : cases) EXPECT_EQ(bytesOf(c.type, c.name), c.bytes);
}

TEST_F(LibraryResources, AResourceKeepsItsHandleAndTheOtherLayersGetItsBytes) {
  win::HRSRC first = win::FindResource(module_, win::MAKEINTRESOURCE(106), win::RT_DIALOG);
  EXPECT_EQ(win::FindResource(module_, win::MAKEINTRESOURCE(106), win::RT_DIALOG), first);
  EXPECT_NE(win::FindResource(module_, win::MAKEINTRESOURCE(79), win::RT_STRING), first);
  auto bytes = win::findResourceBytes(module_, win::RT_DIALOG, win::MAKEINTRESOURCE(106));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size, 10u);
  EXPECT_EQ(bytes->data, win::LockResource(win::LoadResource(module_, first)));
  EXPECT_EQ(win::LoadResource(win::GetModuleHandle("KERNEL32.DLL"), first), nullptr);  // not that module's
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
}

struct StringCase {
  win::UINT id;
  int size;
  int length;
  const char* text;
};

TEST_F(LibraryResources, LoadStringCutsToTheBuffer) {
  const StringCase cases[] = {
      {79, 256, 58, "Application is already running - Terminating this instance"},
      {80, 256, 17, "Multiple Instance"},
      {80, 9, 8, "Multiple"},
      {80, 1, 0, ""},
      {81, 256, 0, ""},
  };
  for (const auto& c : cases) {
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(win::LoadString(module_, c.id, buffer, c.size), c.length) << c.id;
    EXPECT_STREQ(buffer, c.text) << c.id;
  }
}

TEST(ResourceTest, TheExecutableAnswersForTheNullModule) {
  TestMachine m;
  char buffer[64];
  EXPECT_EQ(win::LoadString(nullptr, 1, buffer, sizeof buffer), 19);
  EXPECT_STREQ(buffer, "from the executable");
  EXPECT_NE(win::FindResource(win::GetModuleHandle(nullptr), win::MAKEINTRESOURCE(1), win::RT_STRING), nullptr);
}

TEST(ResourceTest, ModulesWithoutATableOrUnknownModulesFail) {
  TestMachine m;
  EXPECT_EQ(win::FindResource(win::GetModuleHandle("KERNEL32.DLL"), win::MAKEINTRESOURCE(1), win::RT_STRING), nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_RESOURCE_DATA_NOT_FOUND);
  EXPECT_EQ(win::FindResource(win::handleFromValue<win::HMODULE>(0x10990000), win::MAKEINTRESOURCE(1), win::RT_STRING),
            nullptr);
  EXPECT_EQ(win::GetLastError(), win::ERROR_INVALID_HANDLE);
  EXPECT_EQ(win::SizeofResource(nullptr, win::handleFromValue<win::HRSRC>(0x20000000)), 0u);
}

}  // namespace
