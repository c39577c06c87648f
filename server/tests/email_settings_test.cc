// The e-mail settings store: defaults and creation of ".cvlmrc", its
// scrambled form, damaged files, bounded texts and failed saves.
#include "server/email_settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/faults.h"
#include "server/protocol.h"
#include "server/tests/support/settings_file.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm::CvLmRecord;
using cvlm::MailEntry;
using cvlm::ObjCvLm;
using cvlm_testing::decodeSettingsFile;
using cvlm_testing::fileBytes;

std::string encodeFile(const CvLmRecord& record) {
  std::string bytes(cvlm::kCvLmFileSize, '\0');
  auto* p = reinterpret_cast<unsigned char*>(bytes.data());
  std::memcpy(p + 2, &record, sizeof record);
  cvlm::encodeRecord(p, bytes.size());
  return bytes;
}

std::vector<MailEntry> entries(int n, const std::string& prefix) {
  std::vector<MailEntry> list(n);
  for (int i = 0; i < n; ++i) formats::putText(list[i].text, 0, 64, prefix + std::to_string(i) + "@example.org");
  return list;
}

class EmailSettingsTest : public ::testing::Test {
 protected:
  void expectDefaults(const ObjCvLm& settings) {
    const CvLmRecord& r = settings.record();
    EXPECT_EQ(settings.mailCount(), 0);
    EXPECT_STREQ(r.mailServer, cvlm::kDefaultMailServer);
    EXPECT_STREQ(r.sender, cvlm::kDefaultMailSender);
    EXPECT_STREQ(r.user, "user");
    EXPECT_STREQ(r.subject, "Message from Corvane Lumarel");
    EXPECT_EQ(std::vector<int>(r.options, r.options + 4), (std::vector<int>{1, 0, 0, 0}));
    EXPECT_STREQ(r.owner, cvlm::kBuiltInOperatorUser);
    const MailEntry zero{};
    for (const MailEntry& e : r.entries) ASSERT_EQ(std::memcmp(&e, &zero, sizeof e), 0);
  }

  cvlm_testing::TestWorkDir dir;
};

TEST_F(EmailSettingsTest, MissingFileIsCreatedWithDefaultsInScrambledForm) {
  ObjCvLm settings;
  EXPECT_EQ(settings.loadState(), ObjCvLm::LoadState::Created);
  expectDefaults(settings);

  std::string bytes = fileBytes(".cvlmrc");
  ASSERT_EQ(bytes.size(), 4347u);
  CvLmRecord onDisk{};
  ASSERT_TRUE(decodeSettingsFile(bytes, onDisk));
  EXPECT_EQ(std::memcmp(&onDisk, &settings.record(), sizeof onDisk), 0);
  EXPECT_FALSE(platform::fileExists(".cvlmrc.lck"));
  EXPECT_FALSE(platform::fileExists(".cvlmrc.tmp"));

  ObjCvLm again;
  EXPECT_EQ(again.loadState(), ObjCvLm::LoadState::Loaded);
  EXPECT_EQ(fileBytes(".cvlmrc"), bytes);  // a load never rewrites the file
}

TEST_F(EmailSettingsTest, SavedSettingsLoadBackAndKeepOwnerAndSubject) {
  CvLmRecord before;
  {
    ObjCvLm settings;
    before = settings.record();
    cvlm::MailInfo info{3, "smtp.example.org", "ids@example.org", "operator", {0, 1, 2, 3}};
    auto list = entries(3, "a");
    settings.setMailInfo(info, list.data());
    ASSERT_TRUE(settings.save());
  }
  ObjCvLm loaded;
  ASSERT_EQ(loaded.loadState(), ObjCvLm::LoadState::Loaded);
  const CvLmRecord& r = loaded.record();
  EXPECT_EQ(loaded.mailCount(), 3);
  EXPECT_STREQ(r.mailServer, "smtp.example.org");
  EXPECT_STREQ(r.sender, "ids@example.org");
  EXPECT_STREQ(r.user, "operator");
  EXPECT_EQ(std::vector<int>(r.options, r.options + 4), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_STREQ(r.entries[2].text, "a2@example.org");
  EXPECT_EQ(r.entries[3].text[0], '\0');
  EXPECT_EQ(std::memcmp(r.owner, before.owner, sizeof r.owner), 0);
  EXPECT_EQ(std::memcmp(r.subject, before.subject, sizeof r.subject), 0);

  // Fewer entries later: the slots beyond the new count are cleared.
  ObjCvLm settings;
  auto one = entries(1, "b");
  settings.setMailInfo({1, "s", "f", "u", {}}, one.data());
  ASSERT_TRUE(settings.save());
  ObjCvLm shrunk;
  EXPECT_EQ(shrunk.mailCount(), 1);
  EXPECT_EQ(shrunk.record().entries[1].text[0], '\0');
}

TEST_F(EmailSettingsTest, DamagedFileGivesDefaultsAndIsLeftAsItIs) {
  CvLmRecord valid{};
  formats::putInt32(valid.mailCount, 0, 2);
  std::strcpy(valid.mailServer, "kept.example.org");
  std::string good = encodeFile(valid);

  auto withCount = [](std::int32_t m) {
    CvLmRecord r{};
    formats::putInt32(r.mailCount, 0, m);
    return encodeFile(r);
  };
  std::string wrongCheck = good;
  wrongCheck[100] = static_cast<char>(wrongCheck[100] + 1);
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"short", good.substr(0, good.size() - 1)},
      {"wrong check byte", wrongCheck},
      {"count 65", withCount(65)},
      {"count -1", withCount(-1)},
      {"count 1000", withCount(1000)},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(platform::writeFileAtomic(".cvlmrc", bytes));
    ObjCvLm settings;
    EXPECT_EQ(settings.loadState(), ObjCvLm::LoadState::Defaults);
    expectDefaults(settings);
    EXPECT_EQ(fileBytes(".cvlmrc"), bytes);
  }
  EXPECT_TRUE(dir.logHasLine("ObjCvLm::load::Settings file damaged, defaults used."));

  ASSERT_TRUE(platform::writeFileAtomic(".cvlmrc", good + "trailing"));
  ObjCvLm longer;  // extra bytes after the record are ignored
  EXPECT_EQ(longer.loadState(), ObjCvLm::LoadState::Loaded);
  EXPECT_STREQ(longer.record().mailServer, "kept.example.org");
}

TEST_F(EmailSettingsTest, TextFieldsAreBoundedWhenReadAndStored) {
  // The block's layout: count 0, server 4, sender 36, user 68, options 100.
  unsigned char bytes[104]{};
  std::memset(bytes + 4, 'S', 32);  // no terminator
  std::memcpy(bytes + 36, "from", 4);
  cvlm::MailInfoBlock block;
  static_assert(sizeof block == sizeof bytes);
  std::memcpy(&block, bytes, sizeof block);
  cvlm::MailInfo info = cvlm::readMailInfo(block);
  EXPECT_EQ(info.mailServer, std::string(32, 'S'));
  EXPECT_EQ(info.sender, "from");

  ObjCvLm settings;
  info.mailCount = 0;
  settings.setMailInfo(info, nullptr);
  EXPECT_EQ(std::string(settings.record().mailServer), std::string(31, 'S'));

  cvlm::MailInfoBlock stored = settings.mailInfoBlock();
  unsigned char out[104];
  std::memcpy(out, &stored, sizeof out);
  EXPECT_EQ(formats::getInt32(out, 0), 0);
  EXPECT_EQ(formats::getText(out, 4, 32), std::string(31, 'S'));
  EXPECT_EQ(formats::getText(out, 36, 32), "from");
  EXPECT_EQ(formats::getText(out, 68, 32), "");
}

TEST_F(EmailSettingsTest, FailedSaveKeepsTheOldFileAndReportsIt) {
  ObjCvLm settings;
  std::string before = fileBytes(".cvlmrc");
  auto list = entries(2, "x");
  settings.setMailInfo({2, "new", "new", "new", {}}, list.data());
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, ".cvlmrc", 1);
  EXPECT_FALSE(settings.save());
  EXPECT_EQ(fileBytes(".cvlmrc"), before);
  EXPECT_FALSE(platform::fileExists(".cvlmrc.lck"));
  EXPECT_FALSE(platform::fileExists(".cvlmrc.tmp"));
  EXPECT_TRUE(dir.logHasLine("ObjCvLm::save::Settings file write error."));
}

TEST_F(EmailSettingsTest, UncreatableFileLeavesDefaultsInMemoryOnly) {
  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, ".cvlmrc", 1);
  ObjCvLm settings;
  EXPECT_EQ(settings.loadState(), ObjCvLm::LoadState::Defaults);
  expectDefaults(settings);
  EXPECT_FALSE(platform::fileExists(".cvlmrc"));
  EXPECT_FALSE(platform::fileExists(".cvlmrc.lck"));
}

TEST_F(EmailSettingsTest, ParallelFirstLoadsAgreeOnOneFile) {
  std::vector<std::thread> threads;
  std::vector<CvLmRecord> seen(8);
  std::vector<ObjCvLm::LoadState> states(8);
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&seen, &states, i] {
      ObjCvLm settings;
      seen[i] = settings.record();
      states[i] = settings.loadState();
    });
  for (auto& t : threads) t.join();
  CvLmRecord onDisk{};
  ASSERT_TRUE(decodeSettingsFile(fileBytes(".cvlmrc"), onDisk));
  for (int i = 0; i < 8; ++i) {
    EXPECT_NE(states[i], ObjCvLm::LoadState::Defaults);  // nobody saw a half-written file
    EXPECT_EQ(std::memcmp(&seen[i], &onDisk, sizeof onDisk), 0);
  }
  EXPECT_FALSE(platform::fileExists(".cvlmrc.lck"));
}

}  // namespace
