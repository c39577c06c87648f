// File transfer requests against an in-process server: 900-byte pieces both
// ways, the order of result and data, names confined to the working
// directory, and uploads that keep the old file until every byte arrived.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/files.h"
#include "leftover_files.h"
#include "protocol.h"
#include "support/test_console.h"
#include "support/test_server.h"
#include "wire.h"

namespace {

using cvlm_testing::makeHeader;
using cvlm_testing::noLockOrTempFiles;
using cvlm_testing::resultType;
using cvlm_testing::TestConsole;
using cvlm_testing::TestServer;

cvlm::RqH fileHeader(std::int32_t type, const std::string& name, std::int32_t size = 0) {
  cvlm::RqH header = makeHeader(type);
  std::memcpy(header.bytes() + 8, name.data(), std::min<std::size_t>(name.size(), 64));
  if (type == cvlm::RQ_UploadFile) cvlm::putInt32(&header, 72, size);
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
  std::int32_t size = cvlm::getInt32(&*result, 8);
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

  platform::testing::failNextRenames(1);
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

}  // namespace
