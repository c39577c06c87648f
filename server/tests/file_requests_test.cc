// File transfer requests against an in-process server: 900-byte pieces both
// ways, the order of result and data, names confined to the working
// directory and never resolved through a link, and uploads that keep the old
// file until every byte arrived and hold no lock while the console sends.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "formats/byte_order.h"
#include "platform/files.h"
#include "platform_testing/faults.h"
#include "server/account_store.h"
#include "server/constants.h"
#include "server/protocol.h"
#include "server/tests/leftover_files.h"
#include "server/tests/support/account_requests.h"
#include "server/tests/support/test_console.h"
#include "server/tests/support/test_server.h"

namespace {

using cvlm_testing::lockAndTemporaryFiles;
using cvlm_testing::makeHeader;
using cvlm_testing::noLockOrTempFiles;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

cvlm::RqH fileHeader(std::int32_t type, const std::string& name, std::int32_t size = 0) {
  cvlm::RqH header = cvlm_testing::fileHeader(type, name, type == cvlm::RQ_UploadFile ? size : 0);
  return header;
}

std::string content(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 13 + 5);
  return s;
}

// Uploads data in pieces of at most 900 bytes; the result type.
std::int32_t uploadFile(TestServer& server, const std::string& name, const std::string& data) {
  TestConsole console(server.port());
  console.sendHeader(fileHeader(cvlm::RQ_UploadFile, name, static_cast<std::int32_t>(data.size())));
  for (std::size_t at = 0; at < data.size(); at += 900) console.sendUnit(data.substr(at, 900));
  auto result = console.receiveResult();
  return result ? resultType(*result) : -1;
}

struct Downloaded {
  std::int32_t type = -1;
  std::string data;
};

Downloaded downloadFile(TestServer& server, const std::string& name) {
  TestConsole console(server.port());
  Downloaded d;
  auto result = console.request(fileHeader(cvlm::RQ_DownloadFile, name));
  if (!result) return d;
  d.type = resultType(*result);
  if (d.type != 1) return d;
  std::int32_t size = formats::getInt32(&*result, 8);
  for (std::int32_t left = size; left > 0; left -= 900) {
    auto piece = console.receiveUnit(static_cast<std::size_t>(std::min(left, 900)));
    if (!piece) return d;
    d.data += *piece;
  }
  EXPECT_TRUE(console.closedByServer());
  return d;
}

std::string fileText(const std::string& name) {
  std::string s;
  platform::readWholeFile(name, s);
  return s;
}

TEST(FileRequests, UploadAndDownloadTravelInPiecesOf900Bytes) {
  TestServer server;
  for (std::size_t size : {0u, 1u, 900u, 901u, 2700u}) {
    std::string name = "f" + std::to_string(size) + ".bin";
    std::string data = content(size);
    EXPECT_EQ(uploadFile(server, name, data), 1) << size;
    EXPECT_EQ(fileText(name), data) << size;
    Downloaded d = downloadFile(server, name);
    EXPECT_EQ(d.type, 1) << size;
    EXPECT_EQ(d.data, data) << size;
  }
  std::filesystem::create_directory("sub");
  EXPECT_EQ(uploadFile(server, "sub/inner.txt", "inside"), 1);
  EXPECT_EQ(downloadFile(server, "sub/inner.txt").data, "inside");
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadFile::filename=f901.bin , fileSize=901"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadFile::filename=f901.bin , filesize=901"));
  EXPECT_TRUE(server.logHasLine("fileSize=1"));
  EXPECT_TRUE(server.logHasLine("fileSize=0"));
}

TEST(FileRequests, UploadWithNegativeSizeEmptiesTheFile) {
  TestServer server;
  ASSERT_EQ(uploadFile(server, "notes.txt", "old"), 1);
  TestConsole console(server.port());
  auto result = console.request(fileHeader(cvlm::RQ_UploadFile, "notes.txt", -5));
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_TRUE(platform::fileExists("notes.txt"));
  EXPECT_EQ(fileText("notes.txt"), "");
}

TEST(FileRequests, MissingOrUnreadableFilesAnswer13WithoutHanging) {
  TestServer server;
  ASSERT_EQ(::mkfifo("pipe", 0644), 0);
  std::filesystem::create_directory("folder");
  for (const char* name : {"missing.txt", "pipe", "folder"}) {
    EXPECT_EQ(downloadFile(server, name).type, 13) << name;
  }
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadFile::MRR_TYPE_Openfile_Error"));
  // An upload onto a directory fails and leaves no temporary file.
  EXPECT_EQ(uploadFile(server, "folder", "x"), 13);
  EXPECT_TRUE(std::filesystem::is_directory("folder"));
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
}

TEST(FileRequests, RefusesNamesOutsideTheWorkingDirectory) {
  TestServer server;
  // A file beside the working directory that must neither be read nor replaced.
  std::filesystem::path dir(server.path());
  std::string outside = dir.filename().string() + "-outside.txt";
  std::filesystem::path outsidePath = dir.parent_path() / outside;
  ASSERT_TRUE(platform::writeFileAtomic(outsidePath.string(), "secret"));
  std::string absolute = server.path() + "/absolute.txt";
  const std::string names[] = {
      "",  "../" + outside, "..\\" + outside, "a/../../" + outside, "a\\..\\..\\" + outside, "..",
      absolute, "\\absolute.txt", "C:absolute.txt", "data.lck", "sub/.acl.lck",
  };
  for (const std::string& name : names) {
    EXPECT_EQ(uploadFile(server, name, "evil"), 13) << name;
    EXPECT_EQ(downloadFile(server, name).type, 13) << name;
  }
  EXPECT_EQ(fileText(outsidePath.string()), "secret");
  EXPECT_FALSE(platform::fileExists(absolute));
  EXPECT_FALSE(platform::fileExists("data.lck"));
  EXPECT_FALSE(platform::fileExists(outsidePath.string() + ".tmp"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadFile::MRR_TYPE_Openfile_Error"));
  EXPECT_TRUE(server.logHasLine("Dispatcher::downloadFile::MRR_TYPE_Openfile_Error"));
  std::filesystem::remove(outsidePath);
}

TEST(FileRequests, InterruptedUploadKeepsTheEarlierContent) {
  TestServer server(300);
  std::string old = content(1000);
  ASSERT_EQ(uploadFile(server, "kernel.img", old), 1);
  TestConsole console(server.port());
  console.sendHeader(fileHeader(cvlm::RQ_UploadFile, "kernel.img", 1800));
  console.sendUnit(std::string(900, 'n'));
  console.sendUnit(std::string(100, 'n'));  // then silence
  auto result = console.receiveResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 12);
  EXPECT_TRUE(server.logHasLine("Dispatcher::uploadFile::MRR_TYPE_Not_Enough_Data_Error"));
  EXPECT_EQ(fileText("kernel.img"), old);
  EXPECT_TRUE(noLockOrTempFiles(server.path()));

  platform_testing::ScopedFault failingRename(platform::FaultOp::Rename, "kernel.img", 1);
  EXPECT_EQ(uploadFile(server, "kernel.img", "new"), 13);
  EXPECT_EQ(fileText("kernel.img"), old);
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
}

TEST(FileRequests, UnterminatedNameIsCutAt63Characters) {
  TestServer server;
  std::string full(64, 'n');
  EXPECT_EQ(uploadFile(server, full, "abc"), 1);
  EXPECT_EQ(fileText(std::string(63, 'n')), "abc");
}

// A console that trickles an upload of ".acl" holds up nobody: hellos and
// log-ins are answered at once while it sends, and the finished upload
// replaces the file.
TEST(FileRequests, SlowUploadOfTheAccountFileHoldsUpNoOtherConsole) {
  TestServer server;
  std::string accounts = cvlm_testing::bytesOf(cvlm_testing::account("slow", "pw")) +
                         cvlm_testing::bytesOf(cvlm::builtInAccount(0));
  TestConsole slow(server.port());
  ASSERT_TRUE(slow.sendHeader(fileHeader(cvlm::RQ_UploadFile, ".acl", static_cast<std::int32_t>(accounts.size()))));
  std::string unit = accounts;  // one piece, XORed as one unit, sent a few bytes at a time
  cvlm::xorUiStream(reinterpret_cast<unsigned char*>(unit.data()), unit.size());
  ASSERT_TRUE(slow.sendRaw(unit.substr(0, unit.size() - 6)));
  auto answered = [&](const cvlm::RqH& header) {
    TestConsole other(server.port(), cvlm_testing::kLoopback, 1500);
    auto result = other.request(header);
    return result ? resultType(*result) : -1;
  };
  cvlm::RqH login = cvlm_testing::credentials(cvlm::RQ_GetAcl, cvlm::kBuiltInOperatorUser, cvlm::kBuiltInOperatorPassword);
  for (std::size_t at = unit.size() - 6; at < unit.size(); at += 2) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(answered(makeHeader(cvlm::RQ_Hello)), 1) << at;
    EXPECT_EQ(answered(login), 1) << at;
    ASSERT_TRUE(slow.sendRaw(unit.substr(at, 2)));
  }
  auto result = slow.receiveResult();
  ASSERT_TRUE(result);
  EXPECT_EQ(resultType(*result), 1);
  EXPECT_EQ(fileText(".acl"), accounts);
  EXPECT_EQ(answered(cvlm_testing::credentials(cvlm::RQ_GetAcl, "slow", "pw")), 1);
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
}

TEST(FileRequests, UploadLeavesAFileNamedLikeItsTemporaryAlone) {
  TestServer server;
  ASSERT_TRUE(platform::writeFileAtomic("report.tmp", "the operator's"));
  EXPECT_EQ(uploadFile(server, "report", "uploaded"), 1);
  EXPECT_EQ(uploadFile(server, "report", std::string(2000, 'u')), 1);
  EXPECT_EQ(fileText("report"), std::string(2000, 'u'));
  EXPECT_EQ(fileText("report.tmp"), "the operator's");
  EXPECT_EQ(lockAndTemporaryFiles(server.path()), std::vector<std::string>{"report.tmp"});
}

// A link already in the working directory leads nowhere: neither through a
// linked directory nor as a linked file.
TEST(FileRequests, RefusesNamesThatPassThroughALink) {
  TestServer server;
  std::filesystem::path dir(server.path());
  std::filesystem::path outside = dir.parent_path() / (dir.filename().string() + "-outside");
  std::filesystem::create_directory(outside);
  ASSERT_TRUE(platform::writeFileAtomic((outside / "x").string(), "outside"));
  std::filesystem::create_directory_symlink(outside, "ln");
  std::filesystem::create_symlink(outside / "x", "lf");
  std::filesystem::create_directory("sub");
  std::filesystem::create_directory_symlink("..", "sub/up");
  for (const char* name : {"ln/x", "ln/new", "sub/up/ln/x"}) {
    EXPECT_EQ(uploadFile(server, name, "evil"), 13) << name;
    EXPECT_EQ(downloadFile(server, name).type, 13) << name;
  }
  EXPECT_EQ(downloadFile(server, "lf").type, 13);
  // An upload onto the linked file's name replaces the link, never its target.
  EXPECT_EQ(uploadFile(server, "lf", "replaced"), 1);
  EXPECT_FALSE(std::filesystem::is_symlink("lf"));
  EXPECT_EQ(fileText("lf"), "replaced");
  std::vector<std::string> outsideFiles;
  for (const auto& e : std::filesystem::directory_iterator(outside)) outsideFiles.push_back(e.path().filename());
  EXPECT_EQ(outsideFiles, std::vector<std::string>{"x"});
  EXPECT_EQ(fileText((outside / "x").string()), "outside");
  EXPECT_TRUE(noLockOrTempFiles(server.path()));
  std::filesystem::remove_all(outside);
}

}  // namespace
