// Reading "maillist": the count, the server word and bounded recipient words.
#include "logserver/mail_list.h"

#include <gtest/gtest.h>

#include "logserver/tests/support/mail_files.h"

namespace halvern {
namespace {

using halvern_testing::mailListBytes;

struct MailListCase {
  const char* what;
  std::string bytes;
  std::string server;
  std::vector<std::string> recipients;
};

std::vector<std::string> numbered(int n) {
  std::vector<std::string> words;
  for (int i = 1; i <= n; ++i) words.push_back("r" + std::to_string(i) + "@example.com");
  return words;
}

std::vector<std::string> withServer(std::vector<std::string> words) {
  words.insert(words.begin(), "127.0.0.2");
  return words;
}

TEST(MailListTest, ReadsCountServerAndBoundedRecipients) {
  std::string longWord(60, 'w');
  std::string word49(49, 'v');
  const MailListCase cases[] = {
      {"two recipients", mailListBytes(2, withServer({"a@x", "b@x"})), "127.0.0.2", {"a@x", "b@x"}},
      {"extra words ignored", mailListBytes(1, withServer({"a@x", "b@x"})), "127.0.0.2", {"a@x"}},
      {"eleven recipients keep ten", mailListBytes(11, withServer(numbered(11))), "127.0.0.2", numbered(10)},
      {"over-long word skipped", mailListBytes(3, withServer({"a@x", longWord, word49})), "127.0.0.2",
       {"a@x", word49}},
      {"fewer words than the count", mailListBytes(5, withServer({"a@x"})), "127.0.0.2", {"a@x"}},
      {"no server word", mailListBytes(2, {}), "", {}},
      {"over-long server word", mailListBytes(1, {longWord, "a@x"}), "", {"a@x"}},
      {"negative count", mailListBytes(0x80000001u, withServer({"a@x"})), "127.0.0.2", {}},
      {"short count", std::string("\0\0", 2), "", {}},
      {"control byte in a word", mailListBytes(2, withServer({std::string("a\0b", 3), "c@x"})), "127.0.0.2",
       {"c@x"}},
      {"tabs and blanks separate words", std::string("\0\0\0\2", 4) + " 127.0.0.2\ta@x   b@x", "127.0.0.2",
       {"a@x", "b@x"}},
  };
  for (const MailListCase& c : cases) {
    platform_testing::TempDir dir;
    halvern_testing::writeFile(dir.file("maillist"), c.bytes);
    MailList list;
    ASSERT_TRUE(readMailList(dir.file("maillist"), list)) << c.what;
    EXPECT_EQ(list.server, c.server) << c.what;
    EXPECT_EQ(list.recipients, c.recipients) << c.what;
  }
}

TEST(MailListTest, MissingFileIsReported) {
  platform_testing::TempDir dir;
  MailList list;
  EXPECT_FALSE(readMailList(dir.file("maillist"), list));
}

}  // namespace
}  // namespace halvern
