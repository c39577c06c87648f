// Shared-library counts: counted down, the question at the last use, and the
// values that are no count.
#include "system/shared_dlls.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run_state.h"
#include "undo/shared_question.h"
#include "win/error.h"
#include "win/registry.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

constexpr const char* kKey = "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr const char* kPath = "C:\\WINDOWS\\SYSTEM\\SHARED.DLL";

void setValue(const char* name, win::DWORD type, const std::vector<std::uint8_t>& bytes) {
  win::HKEY k = nullptr;
  ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, win::KEY_ALL_ACCESS, nullptr, &k, nullptr),
            win::ERROR_SUCCESS);
  win::RegSetValueEx(k, name, 0, type, bytes.data(), static_cast<win::DWORD>(bytes.size()));
  win::RegCloseKey(k);
}

struct Value {
  win::DWORD type = 0;
  std::vector<std::uint8_t> bytes;
};

std::optional<Value> value(const char* name) {
  win::HKEY k = nullptr;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kKey, 0, win::KEY_READ, &k) != win::ERROR_SUCCESS) return std::nullopt;
  std::uint8_t bytes[64] = {};
  win::DWORD type = 0, size = sizeof bytes;
  bool found = win::RegQueryValueEx(k, name, nullptr, &type, bytes, &size) == win::ERROR_SUCCESS;
  win::RegCloseKey(k);
  if (!found) return std::nullopt;
  return Value{type, std::vector<std::uint8_t>(bytes, bytes + size)};
}

class SharedDllsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    remvex::Run() = remvex::RunState();
    remvex::Run().newShell = true;
  }
  void TearDown() override {
    remvex::Run() = remvex::RunState();
    remvex::SharedFileQuestion() = nullptr;
  }
  TestMachine machine_;
};

TEST_F(SharedDllsTest, CountsAboveOneAreCountedDownAsDword) {
  struct Case {
    const char* name;
    win::DWORD type;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"text", win::REG_SZ, {'3', 0}},
      {"dword", win::REG_DWORD, {3, 0, 0, 0}},
      {"four binary bytes", win::REG_BINARY, {3, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setValue(kPath, c.type, c.bytes);
    EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 1);
    auto v = value(kPath);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, win::REG_DWORD);
    EXPECT_EQ(v->bytes, (std::vector<std::uint8_t>{2, 0, 0, 0}));
  }
}

TEST_F(SharedDllsTest, LastUseAsksAndTheValueGoesWhateverTheAnswer) {
  std::vector<int> answers = {1007, 1006, 1, 1007};
  std::vector<std::string> asked;
  remvex::SharedFileQuestion() = [&](const std::string& path) {
    asked.push_back(path);
    int a = answers.front();
    answers.erase(answers.begin());
    return a;
  };
  for (int expected : {2, 1, 1, 1}) {
    setValue(kPath, win::REG_DWORD, {1, 0, 0, 0});
    EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), expected);
    EXPECT_FALSE(value(kPath));
  }
  EXPECT_EQ(asked, (std::vector<std::string>{kPath, kPath, kPath}));  // none after "No to All"
}

TEST_F(SharedDllsTest, SilentRunKeepsTheFileWithoutAsking) {
  remvex::Run().silent = true;
  bool asked = false;
  remvex::SharedFileQuestion() = [&](const std::string&) {
    asked = true;
    return 1007;
  };
  setValue(kPath, win::REG_SZ, {'1', 0});
  EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 1);
  EXPECT_FALSE(asked);
  EXPECT_FALSE(value(kPath));
}

TEST_F(SharedDllsTest, ValuesThatAreNoCountLeaveTheFileInUse) {
  struct Case {
    const char* name;
    win::DWORD type;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"three binary bytes", win::REG_BINARY, {1, 0, 0}},
      {"text that is no number", win::REG_SZ, {'x', 0}},
      {"multi text", win::REG_MULTI_SZ, {'1', 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    setValue(kPath, c.type, c.bytes);
    EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 1);
    auto v = value(kPath);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->bytes, c.bytes);
  }
}

TEST_F(SharedDllsTest, UncountedFilesAndTheOldShellAreOrdinary) {
  EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 0);  // no key
  setValue("C:\\OTHER.DLL", win::REG_DWORD, {2, 0, 0, 0});
  EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 0);  // no value
  setValue(kPath, win::REG_DWORD, {0, 0, 0, 0});
  EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 0);
  setValue(kPath, win::REG_DWORD, {3, 0, 0, 0});
  remvex::Run().newShell = false;
  EXPECT_EQ(remvex::DecrementSharedDllCount(kPath), 0);
  EXPECT_EQ(value(kPath)->bytes, (std::vector<std::uint8_t>{3, 0, 0, 0}));
}

TEST_F(SharedDllsTest, ValueIsFoundByTheLongFormThenAsWritten) {
  machine_.makeFile("Program Files/Shared/LIB.DLL", "x");
  setValue("C:\\Program Files\\Shared\\LIB.DLL", win::REG_DWORD, {5, 0, 0, 0});
  setValue("c:\\progra~1\\shared\\LIB.DLL", win::REG_DWORD, {7, 0, 0, 0});
  EXPECT_EQ(remvex::DecrementSharedDllCount("c:\\program files\\shared\\lib.dll"), 1);
  EXPECT_EQ(value("C:\\Program Files\\Shared\\LIB.DLL")->bytes, (std::vector<std::uint8_t>{4, 0, 0, 0}));
  setValue("C:\\GONE\\X.DLL", win::REG_DWORD, {2, 0, 0, 0});
  EXPECT_EQ(remvex::DecrementSharedDllCount("C:\\GONE\\X.DLL"), 1);
  EXPECT_EQ(value("C:\\GONE\\X.DLL")->bytes, (std::vector<std::uint8_t>{1, 0, 0, 0}));
}

}  // namespace
