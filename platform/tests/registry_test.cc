// Registry store: typed values, case-insensitive keys, persistence, trees.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform_testing/temp_dir.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  platform_testing::TempDir dir;
  platform_testing::ScopedEnv env{"IDS_PLATFORM_DIR", dir.path()};
};

TEST_F(RegistryTest, StoresTypedValuesUnderCaseInsensitiveKeys) {
  auto key = platform::RegistryKey::create(platform::RegRoot::LocalMachine, "SYSTEM\\Services\\Demo");
  ASSERT_TRUE(key);
  ASSERT_TRUE(key->setString("File", "C:\\dir\\x.exe", platform::REG_EXPAND_SZ));
  ASSERT_TRUE(key->setDword("Types", 7));

  auto again = platform::RegistryKey::open(platform::RegRoot::LocalMachine, "system\\services\\DEMO");
  ASSERT_TRUE(again);
  EXPECT_EQ(again->path(), "SYSTEM\\Services\\Demo");
  auto file = again->value("file");
  ASSERT_TRUE(file);
  EXPECT_EQ(file->type, platform::REG_EXPAND_SZ);
  EXPECT_EQ(file->text(), "C:\\dir\\x.exe");
  EXPECT_EQ(file->data.size(), std::string("C:\\dir\\x.exe").size() + 1);  // terminator counted
  auto types = again->value("TYPES");
  ASSERT_TRUE(types);
  EXPECT_EQ(types->type, platform::REG_DWORD);
  EXPECT_EQ(types->dword(), 7u);
  EXPECT_FALSE(platform::RegistryKey::open(platform::RegRoot::CurrentUser, "SYSTEM\\Services\\Demo"));
}

TEST_F(RegistryTest, OverwritesValueAndDeletesTrees) {
  auto key = platform::RegistryKey::create(platform::RegRoot::LocalMachine, "A\\B\\C");
  ASSERT_TRUE(key);
  key->setString("v", "one\twith\nodd\\bytes");
  key->setString("V", "two");
  EXPECT_EQ(key->values().size(), 1u);
  EXPECT_EQ(key->value("v")->text(), "two");
  key->setString("w", "one\twith\nodd\\bytes");
  EXPECT_EQ(key->value("w")->text(), "one\twith\nodd\\bytes");

  auto a = platform::RegistryKey::open(platform::RegRoot::LocalMachine, "A");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->subkeys(), std::vector<std::string>{"B"});
  ASSERT_TRUE(platform::RegistryKey::open(platform::RegRoot::LocalMachine, "A\\B")->deleteTree());
  EXPECT_FALSE(platform::RegistryKey::open(platform::RegRoot::LocalMachine, "a\\b\\c"));
  EXPECT_TRUE(platform::RegistryKey::open(platform::RegRoot::LocalMachine, "A"));
  EXPECT_FALSE(platform::fileExists(platform::registryStorePath() + ".tmp"));
}

}  // namespace
