// File handles and searches: listings and the volume-label form of FindFirst,
// the three open modes, reads, writes and seeks (also through the exported
// FileWrite), DOS date and time, and existence checks.
#include "files/file_utils.h"

#include <filesystem>
#include <string>
#include <vector>

#include "merl/setup_interface.h"
#include "platform_testing/temp_dir.h"
#include "runtime_test.h"

namespace {

namespace fs = std::filesystem;

class FileUtilsTest : public merl_testing::RuntimeTest {
 protected:
  std::vector<std::string> found(const char* pattern) {
    std::vector<std::string> names;
    merl::FindRecord find;
    for (int r = merl::FindFirst(pattern, 0, find); r == merl::kFound; r = merl::FindNext(find))
      names.push_back(find.name);
    EXPECT_EQ(merl::FindNext(find), merl::kNoneFound);
    merl::FindEnd(find);
    EXPECT_EQ(find.handle, win::INVALID_HANDLE_VALUE);
    return names;
  }
  platform_testing::TempDir share_;
};

TEST_F(FileUtilsTest, FindListsMatchesWithTheirAttributes) {
  machine().makeFile("APP/b.txt");
  machine().makeFile("APP/a.txt");
  fs::create_directories(machine().hostC("APP/SUB"));
  EXPECT_EQ(found("C:\\APP\\*.txt"), (std::vector<std::string>{"a.txt", "b.txt"}));
  EXPECT_EQ(found("C:\\APP\\*.*"), (std::vector<std::string>{".", "..", "a.txt", "b.txt", "SUB"}));
  EXPECT_EQ(found("C:\\APP\\*.none"), std::vector<std::string>{});
  EXPECT_EQ(found("C:\\MISSING\\*.*"), std::vector<std::string>{});
  const std::string tooLong = "C:\\" + std::string(300, 'L') + "\\*.*";
  EXPECT_EQ(found(tooLong.c_str()), std::vector<std::string>{});
  merl::FindRecord label;
  EXPECT_EQ(merl::FindFirst(tooLong.c_str(), merl::kVolumeLabelAttribute, label), merl::kNoneFound);
  EXPECT_EQ(merl::FindFirst(nullptr, 0, label), merl::kNoneFound);

  merl::FindRecord find;
  ASSERT_EQ(merl::FindFirst("C:\\APP\\SUB", 0x17, find), merl::kFound);
  EXPECT_STREQ(find.name, "SUB");
  EXPECT_TRUE(find.attributes & win::FILE_ATTRIBUTE_DIRECTORY);
  ASSERT_EQ(merl::FindFirst("C:\\APP\\a.txt", 0, find), merl::kFound);  // the open search is ended first
  EXPECT_STREQ(find.name, "a.txt");
  merl::FindEnd(find);
  merl::FindEnd(find);
}

struct LabelCase {
  const char* label;
  const char* pattern;
  const char* name;  // null: none found
};

TEST_F(FileUtilsTest, VolumeLabelGetsADotAfterItsEighthCharacter) {
  const LabelCase cases[] = {
      {"SYSTEMDISK1", "C:\\*.*", "SYSTEMDI.SK1"},
      {"SYSTEMDISK1", "C:\\APP\\SUB\\*.*", "SYSTEMDI.SK1"},
      {"SYSTEMDISK1", "*.*", "SYSTEMDI.SK1"},
      {"EXACTLY8", "C:\\*.*", "EXACTLY8"},
      {"DISK", "c:", "DISK"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ123456", "C:\\*.*", "ABCDEFGH.IJKLMNOPQRSTUVWXYZ123456"},
      {"NET", "\\\\SRV\\SHARE\\*.*", "SHARELBL"},
      {"", "C:\\*.*", nullptr},
      {"DISK", "Q:\\*.*", nullptr},
  };
  for (const auto& c : cases) {
    useMachine(std::string("[drives]\n\\\\SRV\\SHARE = ") + share_.path() + "\n[volumes]\nC = " + c.label +
               ", 1A2B-3C4D, 4096\n\\\\SRV\\SHARE = SHARELBL, 1A2B-3C4D, 4096\n");
    merl::FindRecord find;
    int r = merl::FindFirst(c.pattern, merl::kVolumeLabelAttribute, find);
    EXPECT_EQ(r, c.name ? merl::kFound : merl::kNoneFound) << c.label << " " << c.pattern;
    if (c.name) {
      EXPECT_STREQ(find.name, c.name) << c.label;
      EXPECT_EQ(find.attributes, merl::kVolumeLabelAttribute);
    }
    EXPECT_EQ(find.handle, win::INVALID_HANDLE_VALUE);
    EXPECT_EQ(merl::FindNext(find), merl::kNoneFound);
  }
}

TEST_F(FileUtilsTest, OpenModesReadWriteAndSeek) {
  machine().makeFile("data.bin", "hello world");
  win::HANDLE reader = merl::OpenFileHandle("C:\\data.bin", merl::kOpenRead, false);
  ASSERT_NE(reader, win::INVALID_HANDLE_VALUE);
  char text[32] = {};
  EXPECT_EQ(merl::FileRead(reader, text, 5), 5u);
  EXPECT_STREQ(text, "hello");
  EXPECT_EQ(merl::FileWrite(reader, "x", 1), 0u);  // read-only handle
  EXPECT_EQ(merl::FileSeek(reader, -5, win::FILE_END), 6u);
  EXPECT_EQ(merl::FileRead(reader, text, sizeof text), 5u);
  win::CloseHandle(reader);

  win::HANDLE writer = merl::OpenFileHandle("C:\\new.bin", merl::kOpenWrite, true);
  ASSERT_NE(writer, win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(merl::FileWrite(writer, "abc", 3), 3u);
  EXPECT_EQ(::FileWrite(writer, "def", 3), 3u);  // the export
  EXPECT_EQ(merl::FileRead(writer, text, 1), 0u);  // write-only handle
  win::CloseHandle(writer);
  EXPECT_EQ(win_testing::TestMachine::readText(machine().hostC("new.bin")), "abcdef");

  win::HANDLE both = merl::OpenFileHandle("C:\\new.bin", merl::kOpenReadWrite, false);
  ASSERT_NE(both, win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(merl::FileSeek(both, 3, win::FILE_BEGIN), 3u);
  EXPECT_EQ(merl::FileWrite(both, "XY", 2), 2u);
  EXPECT_EQ(merl::FileSeek(both, 0, win::FILE_BEGIN), 0u);
  EXPECT_EQ(merl::FileRead(both, text, sizeof text), 6u);
  win::CloseHandle(both);
  EXPECT_EQ(win_testing::TestMachine::readText(machine().hostC("new.bin")), "abcXYf");

  EXPECT_EQ(merl::OpenFileHandle("C:\\data.bin", 3, false), win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(merl::OpenFileHandle("C:\\missing.bin", merl::kOpenRead, false), win::INVALID_HANDLE_VALUE);
  EXPECT_EQ(merl::FileRead(win::INVALID_HANDLE_VALUE, text, 1), 0u);
  EXPECT_EQ(::FileWrite(win::INVALID_HANDLE_VALUE, "x", 1), 0u);
  EXPECT_EQ(merl::FileWrite(writer, nullptr, 4), 0u);
}

TEST_F(FileUtilsTest, DosDateAndTimeOfTheLastWriteRoundTrip) {
  machine().makeFile("dated.txt", "x");
  win::HANDLE file = merl::OpenFileHandle("C:\\dated.txt", merl::kOpenReadWrite, false);
  ASSERT_NE(file, win::INVALID_HANDLE_VALUE);
  const win::WORD date = (23 << 9) | (2 << 5) | 25;   // 2003-02-25
  const win::WORD time = (14 << 11) | (5 << 5) | 4;   // 14:05:08
  EXPECT_TRUE(merl::SetFileDosDateTime(file, date, time));
  win::WORD readDate = 0, readTime = 0;
  EXPECT_TRUE(merl::GetFileDosDateTime(file, readDate, readTime));
  EXPECT_EQ(readDate, date);
  EXPECT_EQ(readTime, time);
  win::CloseHandle(file);
  EXPECT_FALSE(merl::GetFileDosDateTime(win::INVALID_HANDLE_VALUE, readDate, readTime));
}

TEST_F(FileUtilsTest, CheckFileExistsForFilesAndDirectories) {
  machine().makeFile("APP/a.txt");
  const std::pair<const char*, int> cases[] = {
      {"C:\\APP\\a.txt", 0}, {"c:\\app\\A.TXT", 0}, {"C:\\APP", 0}, {"C:\\APP\\none", -1}, {"", -1}, {"C:\\A|B", -1}};
  const std::string tooLong = "C:\\APP\\" + std::string(300, 'L');
  EXPECT_EQ(merl::CheckFileExists(tooLong.c_str()), -1);
  for (auto [path, result] : cases) EXPECT_EQ(merl::CheckFileExists(path), result) << path;
}

}  // namespace
