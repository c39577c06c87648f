// ReadFromInstallFile: a read error asks message 37 and a retry copies again
// from the same offset into an undone destination and checksum; any other
// answer, or no message table yet, leaves the error standing.
#include "entry/install_file.h"

#include <string>
#include <vector>

#include "copy_fixture.h"
#include "win/files.h"

namespace {

merl::SetupRec* copyRecord = nullptr;
int copyCalls = 0;

// Copies "DATA" into the destination; the first call fails half-way with a read error.
win::DWORD flakyCopy(win::HANDLE, win::HANDLE destination, win::DWORD, win::LPVOID context) {
  bool fail = copyCalls++ == 0;
  const char* bytes = fail ? "DA" : "DATA";
  win::DWORD length = fail ? 2 : 4, written = 0;
  win::WriteFile(destination, bytes, length, &written, nullptr);
  copyRecord->readOffset += length;
  if (context) *static_cast<win::DWORD*>(context) += length;
  if (fail) copyRecord->errorByte = 2, copyRecord->abortFlag = 1;
  return written;
}

class InstallFileTest : public merl_testing::CopyFixture {
 protected:
  void start(bool table) {
    begin();
    copyRecord = &setup_;
    copyCalls = 0;
    setup_.copyCallback = flakyCopy;
    setup_.readOffset = 500;
    if (!table) merl::scriptHeader().messagesLoaded = false, setup_.messageTable = nullptr;
  }
  void TearDown() override { copyRecord = nullptr; }
  // Copies into C:\OUT.BIN; the file's bytes come back in out.
  bool copy(std::string& out, win::DWORD& checksum) {
    win::HANDLE file = win::CreateFile("C:\\OUT.BIN", win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS, 0, nullptr);
    bool ok = merl::ReadFromInstallFile(nullptr, file, 4, &checksum);
    win::CloseHandle(file);
    out = machine().readText(machine().hostC("OUT.BIN"));
    return ok;
  }
};

TEST_F(InstallFileTest, AReadErrorIsAskedAndRetryCopiesAgainFromTheSameOffset) {
  struct Case {
    const char* answer;
    bool ok;
    const char* data;
    win::DWORD readOffset, checksum;
    int calls;
  } cases[] = {{"114 3\n", true, "DATA", 504, 104, 2}, {"114 1\n", false, "DA", 502, 102, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    start(true);
    answers(c.answer);
    std::string data;
    win::DWORD checksum = 100;
    EXPECT_EQ(copy(data, checksum), c.ok);
    EXPECT_EQ(data, c.data);
    EXPECT_EQ(setup_.readOffset, c.readOffset);
    EXPECT_EQ(checksum, c.checksum);
    EXPECT_EQ(copyCalls, c.calls);
    EXPECT_EQ(setup_.errorByte, c.ok ? 0 : 2);
    std::vector<merl_kit::JsonValue> shown = events("dialog");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(boxes()[0], "M18: %s|M37: %s");
    std::string buttons;
    for (const merl_kit::JsonValue& b : shown[0]["controls"].items())
      if (b["id"].integer() <= 3 && b["visible"].boolean())
        buttons += std::to_string(b["id"].integer()) + b["text"].text() + " ";
    EXPECT_EQ(buttons, "1M38: %s 3M39: %s ");  // style 0x43: two choices, no Cancel
  }
}

TEST_F(InstallFileTest, AReadErrorBeforeTheMessageTableIsAnInternalError) {
  start(false);
  std::string data;
  win::DWORD checksum = 0;
  EXPECT_FALSE(copy(data, checksum));
  EXPECT_EQ(copyCalls, 1);
  std::vector<merl_kit::JsonValue> shown = events("dialog");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(boxes()[0], "Installation Aborted!|Internal Error");
}

}  // namespace
