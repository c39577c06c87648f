// Registry store format: the line of each value type, exact bytes through a
// write and a read, files of the first format, lines that do not parse, and
// writers in parallel.
#include "platform/registry_store.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/files.h"
#include "platform_testing/temp_dir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

class RegistryStoreTest : public ::testing::Test {
 protected:
  platform_testing::TempDir dir;
  platform_testing::ScopedEnv env{"IDS_PLATFORM_DIR", dir.path()};
};

TEST(RegistryStoreFormat, EachValueIsWrittenInTheLineOfItsTypeAndReadBackByteExact) {
  using namespace std::string_literals;
  struct Case {
    std::uint32_t type;
    Bytes data;
    std::string line;  // after "K\t4\tA\n"
  };
  const Case cases[] = {
      {1, bytes("C:\\x\0"s), "V\t4\tA\tn\t1\tC:\\\\x"},
      {1, bytes("a\0b\0"s), "V\t4\tA\tn\t1\ta\\0b"},           // a zero inside
      {1, bytes("ab"), "B\t4\tA\tn\t1\t6162"},                  // no terminator
      {1, {}, "B\t4\tA\tn\t1\t"},                               // no bytes at all
      {2, bytes("%WIN%\\a\tb\0"s), "V\t4\tA\tn\t2\t%WIN%\\\\a\\tb"},
      {3, {0x0A, 0x1B}, "V\t4\tA\tn\t3\t0a1b"},
      {3, {}, "V\t4\tA\tn\t3\t"},
      {4, {0x00, 0x10, 0, 0}, "V\t4\tA\tn\t4\t4096"},
      {4, {1, 2, 3}, "B\t4\tA\tn\t4\t010203"},                  // a DWORD of three bytes
      {7, bytes("a\0b c\0\0"s), "V\t4\tA\tn\t7\ta\\0b c\\0\\0"},
      {7, bytes("one\0"s), "V\t4\tA\tn\t7\tone\\0"},            // a list without its closing zero
      {0, {}, "V\t4\tA\tn\t0\t"},
      {11, {1, 0, 0, 0, 0, 0, 0, 0x80}, "V\t4\tA\tn\t11\t0100000000000080"},
      {0xFFFFFFFF, {0xFF}, "V\t4\tA\tn\t4294967295\tff"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    platform::RegistryStore store;
    platform::RegistryStore::setValue(*store.create(platform::RegRoot::CurrentConfig, "A"), {"n", c.type, c.data});
    std::string text = platform::formatRegistryStore(store);
    EXPECT_EQ(text, "K\t4\tA\n" + c.line + "\n");

    platform::RegistryStore again;
    ASSERT_TRUE(platform::parseRegistryStore(text, again, nullptr));
    const auto* key = again.find(platform::RegRoot::CurrentConfig, "a");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].type, c.type);
    EXPECT_EQ(key->values[0].data, c.data);
  }
}

TEST(RegistryStoreFormat, FileOfTheFirstFormatReadsAsBeforeAndGainsOnlyTheParentsItImplied) {
  const std::string first =
      "K\t0\tSYSTEM\\\\Services\nV\t0\tSYSTEM\\\\Services\tFile\t2\tC:\\\\x.exe\n"
      "V\t1\tSoftware\\\\Demo\tCount\t4\t7\nV\t1\tSoftware\\\\Demo\tRaw\t3\t00ff\n";
  platform::RegistryStore store;
  ASSERT_TRUE(platform::parseRegistryStore(first, store, nullptr));
  const auto* demo = store.find(platform::RegRoot::CurrentUser, "SOFTWARE\\demo");
  ASSERT_TRUE(demo);
  EXPECT_EQ(demo->path, "Software\\Demo");
  EXPECT_EQ(platform::RegistryStore::findValue(*demo, "count")->data, (Bytes{7, 0, 0, 0}));
  EXPECT_EQ(platform::formatRegistryStore(store),
            "K\t0\tSYSTEM\nK\t0\tSYSTEM\\\\Services\nV\t0\tSYSTEM\\\\Services\tFile\t2\tC:\\\\x.exe\n"
            "K\t1\tSoftware\nK\t1\tSoftware\\\\Demo\nV\t1\tSoftware\\\\Demo\tCount\t4\t7\n"
            "V\t1\tSoftware\\\\Demo\tRaw\t3\t00ff\n");
}

TEST(RegistryStoreFormat, LinesOfTheNewFormsThatDoNotParseAreNamed) {
  const char* lines[] = {
      "K\t5\tX",                    // root beyond the five
      "B\t0\tA\tw\t1\tzz",          // exact bytes that are not hex
      "B\t0\tA\tw\t1",              // exact bytes without their field
      "V\t0\tA\tw\t7\tbad\\q",      // string list with an unknown escape
      "V\t0\tA\tw\t11\t123",        // bytes of another type, odd hex
      "V\t0\tA\tw\t4294967296\t",   // type beyond 32 bits
  };
  for (const char* line : lines) {
    SCOPED_TRACE(line);
    platform::RegistryStore store;
    std::size_t bad = 0;
    EXPECT_FALSE(platform::parseRegistryStore(std::string("K\t0\tA\n") + line + "\n", store, &bad));
    EXPECT_EQ(bad, 2u);
  }
}

TEST(RegistryStoreFormat, SubkeysAndTreesStayWithinTheirRootAndParent) {
  platform::RegistryStore store;
  store.create(platform::RegRoot::LocalMachine, "A\\B\\C");
  store.create(platform::RegRoot::LocalMachine, "AB");
  store.create(platform::RegRoot::CurrentUser, "A\\X");
  EXPECT_EQ(store.subkeys(platform::RegRoot::LocalMachine, ""), (std::vector<std::string>{"A", "AB"}));
  EXPECT_EQ(store.subkeys(platform::RegRoot::LocalMachine, "a"), std::vector<std::string>{"B"});
  EXPECT_FALSE(store.eraseTree(platform::RegRoot::LocalMachine, ""));
  EXPECT_TRUE(store.eraseTree(platform::RegRoot::LocalMachine, "a"));
  EXPECT_TRUE(store.find(platform::RegRoot::LocalMachine, "AB"));
  EXPECT_TRUE(store.find(platform::RegRoot::CurrentUser, "A\\X"));
  EXPECT_FALSE(store.find(platform::RegRoot::LocalMachine, "A\\B"));
  EXPECT_EQ(store.create(platform::RegRoot::LocalMachine, ""), nullptr);
}

TEST_F(RegistryStoreTest, ParallelChangesAreAllKept) {
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < 50; ++i)
        EXPECT_TRUE(platform::changeRegistryStore([&](platform::RegistryStore& store) {
                      std::string name = std::to_string(t) + "-" + std::to_string(i);
                      platform::RegistryStore::setValue(*store.create(platform::RegRoot::LocalMachine, "Race"),
                                                        {name, 4, {1, 0, 0, 0}});
                      return true;
                    }).ok());
    });
  for (auto& w : writers) w.join();
  std::size_t count = 0;
  ASSERT_TRUE(platform::readRegistryStore([&](const platform::RegistryStore& store) {
                count = store.find(platform::RegRoot::LocalMachine, "Race")->values.size();
              }).ok());
  EXPECT_EQ(count, 200u);
}

TEST_F(RegistryStoreTest, StoreThatDoesNotParseIsNeverHandedToAChange) {
  const std::string bytesOnDisk = "K\t0\tA\nX\tgarbage\n";
  ASSERT_TRUE(platform::writeFileAtomic(platform::registryStorePath(), bytesOnDisk));
  bool called = false;
  auto status = platform::changeRegistryStore([&](platform::RegistryStore&) { return called = true; });
  EXPECT_EQ(status.failure, platform::StoreFailure::Corrupt);
  EXPECT_EQ(status.text, platform::registryStorePath() + " line 2 does not parse");
  EXPECT_FALSE(called);
  std::string after;
  ASSERT_TRUE(platform::readWholeFile(platform::registryStorePath(), after));
  EXPECT_EQ(after, bytesOnDisk);
}

}  // namespace
