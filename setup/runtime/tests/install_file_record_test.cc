// InstallFile on data pieces with a copy callback that reads its source: one
// fetch for the records of a piece, a failed fetch forgotten so the next record
// fetches again.
#include "interp/install_file_record.h"

#include <filesystem>
#include <string>

#include "copy_fixture.h"
#include "entry/extract_files.h"
#include "entry/main_state.h"
#include "entry/support_files.h"
#include "script/script_header.h"
#include "win/files.h"

namespace {

const std::string kData = "0123456789ABCDEF";

// Copies count bytes from source to destination, as the setup program does for a piece.
merl::DWORD copyFromSource(merl::HANDLE source, merl::HANDLE destination, merl::DWORD count, merl::LPVOID) {
  std::string buffer(count, '\0');
  win::DWORD got = 0, written = 0;
  if (!win::ReadFile(source, buffer.data(), count, &got, nullptr)) return 0;
  win::WriteFile(destination, buffer.data(), got, &written, nullptr);
  return written;
}

class InstallFilePieceTest : public merl_testing::CopyFixture {
 protected:
  // A silent piece-mode run whose served pieces lie in served/.
  void start() {
    begin();
    std::string root = machine().stateDir() + "/served";
    std::filesystem::create_directories(root);
    machine().writeText(machine().stateDir() + "/doubles.ini", "[internet]\nroot = " + root + "\n");
    merl::mainState().supportPaths[merl::kSupportInternet] = placeDouble(MERL_INTERNET_DOUBLE, "NET.DLL");
    setup_.copyCallback = copyFromSource;
    setup_.silentFlag = 1;
    setup_.optionWord = merl::kOptionPieceMode;
    merl::scriptHeader().pieceBase = "DATA";
    merl::scriptHeader().dataStamp = 0x5354;
  }
  void TearDown() override { merl::RemoveSupportFiles(); }
  void servePiece(const std::string& name) {
    machine().writeText(machine().stateDir() + "/served/" + name, std::string("TS\0\0-", 5) + kData);
  }
  // A record of piece 1297 at offset 5 of its piece, 16 bytes long.
  static merl::FileCopyRecord pieceRecord(const std::string& dest) {
    merl::FileCopyRecord r;
    r.fixed.dataStart = 0x14511;
    r.fixed.dataEnd = 16;
    r.fixed.size = 16;
    r.fixed.dosDate = 0x2497;
    r.fixed.dosTime = 0x50A0;
    r.destination = dest;
    r.descriptions = {"d"};
    return r;
  }
  std::string text(const char* path) { return machine().readText(machine().hostC(path)); }
};

TEST_F(InstallFilePieceTest, RecordsOfOnePieceFetchItOnce) {
  start();
  servePiece("DATA101");
  EXPECT_EQ(merl::InstallFile(pieceRecord("C:\\APP\\X.DLL")), merl::kGoOn);
  EXPECT_EQ(merl::InstallFile(pieceRecord("C:\\APP\\Y.DLL")), merl::kGoOn);
  EXPECT_EQ(text("APP/X.DLL"), kData);
  EXPECT_EQ(text("APP/Y.DLL"), kData);
  auto fetches = calls("internet", "t1");
  ASSERT_EQ(fetches.size(), 1u);
  EXPECT_EQ(fetches[0]["source"].text(), "DATA101");
  EXPECT_EQ(fetches[0]["a"].integer(), 16);
  EXPECT_EQ(fetches[0]["b"].integer(), 16);
}

TEST_F(InstallFilePieceTest, AFailedFetchIsNotCachedAndTheNextRecordFetchesAgain) {
  start();
  EXPECT_EQ(merl::InstallFile(pieceRecord("C:\\APP\\X.DLL")), merl::kAbort);
  EXPECT_FALSE(std::filesystem::exists(machine().hostC("APP/X.DLL")));
  servePiece("DATA101");
  EXPECT_EQ(merl::InstallFile(pieceRecord("C:\\APP\\X.DLL")), merl::kGoOn);
  EXPECT_EQ(text("APP/X.DLL"), kData);
  EXPECT_EQ(calls("internet", "t1").size(), 2u);
}

}  // namespace
