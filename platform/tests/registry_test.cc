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

TEST_F(RegistryTest, LineThatDoesNotParseFailsEveryCallAndTheStoreStaysAsItIs) {
  const std::string good = "K\t0\tA\nV\t0\tA\tv\t1\tone\n";
  const char* lines[] = {
      "V\t0\tA\tw\t3\tzz",           // binary data that is not hex
      "V\t0\tA\tw\t3\tabc",          // odd number of hex digits
      "V\t0\tA\tw\t4\t12x",          // DWORD that is not a number
      "V\t0\tA\tw\t4\t4294967296",   // DWORD beyond 32 bits
      "V\t0\tA\tw\t9\tx",            // bytes of another type that are not hex
      "V\t0\tA\tw\t1",               // value without data
      "V\t0\tA\tw\t1\tbad\\q",       // unknown escape
      "V\t0\tA\tw\t1\tcut\\",        // escape cut short
      "K\t7\tB",                      // unknown root
      "K\t-1\tB",                     // root that is not a number
      "K\t0\t",                       // empty key path
      "K\t0",                         // too few fields
      "K\t0\tB\tC",                   // too many fields
      "X\t0\tB",                      // unknown kind of line
      "",                             // empty line
      "garbage",
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    const std::string bytes = good + line + "\n" + good;
    ASSERT_TRUE(platform::writeFileAtomic(platform::registryStorePath(), bytes));
    EXPECT_NO_THROW({
      EXPECT_FALSE(platform::RegistryKey::open(platform::RegRoot::LocalMachine, "A"));
      EXPECT_EQ(platform::registryLastError().code, platform::ERROR_REGISTRY_CORRUPT);
      EXPECT_NE(platform::registryLastError().text.find("line 3 does not parse"), std::string::npos)
          << platform::registryLastError().text;
      EXPECT_FALSE(platform::RegistryKey::create(platform::RegRoot::LocalMachine, "A\\New"));
      EXPECT_EQ(platform::registryLastError().code, platform::ERROR_REGISTRY_CORRUPT);
    });
    std::string after;
    ASSERT_TRUE(platform::readWholeFile(platform::registryStorePath(), after));
    EXPECT_EQ(after, bytes);
  }
  // Mended, the store serves again.
  ASSERT_TRUE(platform::writeFileAtomic(platform::registryStorePath(), good));
  auto key = platform::RegistryKey::open(platform::RegRoot::LocalMachine, "a");
  ASSERT_TRUE(key);
  EXPECT_EQ(platform::registryLastError().code, platform::ERROR_SUCCESS);
  EXPECT_EQ(key->value("V")->text(), "one");
}

TEST_F(RegistryTest, ValueOfATypeTheStoreCannotKeepIsRefused) {
  auto key = platform::RegistryKey::create(platform::RegRoot::LocalMachine, "A");
  ASSERT_TRUE(key);
  platform::RegValue odd{"odd", static_cast<platform::RegType>(7), {1, 2, 3}};
  EXPECT_FALSE(key->setValue(odd));
  EXPECT_EQ(platform::registryLastError().code, platform::ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(key->setDword("even", 2));
  EXPECT_EQ(key->values().size(), 1u);
}

}  // namespace
