// Calls on names: DeleteFile, MoveFile and MoveFileEx (never replacing unless
// asked, restart moves only into the pending store and played back), CopyFile,
// directories, and attributes kept in the side store across processes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "win/files.h"
#include "win_testing/pending_renames.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::errorOf;
using win_testing::TestMachine;

bool hostExists(const std::string& path) {
  struct stat st{};
  return ::lstat(path.c_str(), &st) == 0;
}

TEST(FileNamesTest, DeleteFileGivesWindowsResults) {
  using namespace win;
  struct Case {
    const char* name;
    DWORD error;
  } cases[] = {
      {"C:\\App\\a.txt", ERROR_SUCCESS},
      {"c:/app/A.TXT", ERROR_SUCCESS},
      {"C:\\App\\none.txt", ERROR_FILE_NOT_FOUND},
      {"C:\\Nope\\a.txt", ERROR_PATH_NOT_FOUND},
      {"C:\\App", ERROR_ACCESS_DENIED},
      {"C:\\App\\a*.txt", ERROR_INVALID_NAME},
      {"Q:\\a.txt", ERROR_PATH_NOT_FOUND},
      {nullptr, ERROR_INVALID_PARAMETER},
  };
  for (const auto& c : cases) {
    TestMachine m;
    m.makeFile("App/a.txt", "a");
    EXPECT_EQ(errorOf(DeleteFile(c.name)), c.error) << (c.name ? c.name : "NULL");
    EXPECT_EQ(hostExists(m.hostC("App/a.txt")), c.error != ERROR_SUCCESS) << (c.name ? c.name : "NULL");
  }
}

TEST(FileNamesTest, DeleteFileOfALinkToAReadOnlyFileRemovesOnlyTheLink) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/target.txt", "kept");
  ASSERT_EQ(::chmod(m.hostC("App/target.txt").c_str(), 0444), 0);
  ASSERT_EQ(::symlink(m.hostC("App/target.txt").c_str(), m.hostC("App/link.txt").c_str()), 0);
  EXPECT_EQ(errorOf(DeleteFile("C:\\App\\target.txt")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(DeleteFile("C:\\App\\link.txt")), ERROR_SUCCESS);
  EXPECT_FALSE(hostExists(m.hostC("App/link.txt")));
  EXPECT_EQ(TestMachine::readText(m.hostC("App/target.txt")), "kept");
}

TEST(FileNamesTest, MoveFileNeverReplacesAndMoveFileExReplacesInOneStep) {
  using namespace win;
  struct Case {
    const char* from;
    const char* to;
    DWORD flags;  // ~0u: MoveFile
    DWORD error;
    const char* target;  // host file below C and its content afterwards ("" = absent)
    const char* content;
  } cases[] = {
      {"C:\\App\\new.txt", "C:\\App\\old.txt", ~0u, ERROR_ALREADY_EXISTS, "App/old.txt", "old"},
      {"C:\\App\\new.txt", "C:\\App\\old.txt", 0, ERROR_ALREADY_EXISTS, "App/old.txt", "old"},
      {"C:\\App\\new.txt", "C:\\App\\OLD.TXT", MOVEFILE_REPLACE_EXISTING, ERROR_SUCCESS, "App/old.txt", "new"},
      {"C:\\App\\new.txt", "C:\\App\\moved.txt", ~0u, ERROR_SUCCESS, "App/moved.txt", "new"},
      {"C:\\App\\new.txt", "C:\\App\\NEW.TXT", ~0u, ERROR_SUCCESS, "App/NEW.TXT", "new"},
      {"C:\\App\\none.txt", "C:\\App\\x.txt", ~0u, ERROR_FILE_NOT_FOUND, "App/x.txt", ""},
      {"C:\\App\\new.txt", "C:\\Nope\\x.txt", ~0u, ERROR_PATH_NOT_FOUND, "App/new.txt", "new"},
      {"C:\\App\\new.txt", "C:\\App\\Sub", MOVEFILE_REPLACE_EXISTING, ERROR_ACCESS_DENIED, "App/new.txt", "new"},
      {"C:\\App\\Sub", "C:\\Moved", ~0u, ERROR_SUCCESS, "Moved/in.txt", "in"},
      {"C:\\App\\new.txt", "D:\\new.txt", 0, ERROR_NOT_SAME_DEVICE, "App/new.txt", "new"},
      {"C:\\App\\new.txt", "C:\\App\\new.txt", 0x10, ERROR_INVALID_PARAMETER, "App/new.txt", "new"},
      {"C:\\App\\new.txt", nullptr, 0, ERROR_INVALID_PARAMETER, "App/new.txt", "new"},
      {"C:\\App\\new.txt", "C:\\App\\x*.txt", ~0u, ERROR_INVALID_NAME, "App/new.txt", "new"},
  };
  for (const auto& c : cases) {
    TestMachine m("[drives]\nD = $STATE/d\n");
    std::filesystem::create_directories(m.stateDir() + "/d");
    m.makeFile("App/old.txt", "old");
    m.makeFile("App/new.txt", "new");
    m.makeFile("App/Sub/in.txt", "in");
    BOOL ok = c.flags == ~0u ? MoveFile(c.from, c.to) : MoveFileEx(c.from, c.to, c.flags);
    EXPECT_EQ(errorOf(ok), c.error) << c.from << " -> " << (c.to ? c.to : "NULL");
    EXPECT_EQ(TestMachine::readText(m.hostC(c.target)), c.content) << c.from << " -> " << (c.to ? c.to : "NULL");
    if (c.error == ERROR_SUCCESS && std::string(c.from) != "C:\\App\\Sub") {
      EXPECT_FALSE(hostExists(m.hostC("App/new.txt"))) << c.to;
    }
  }
}

TEST(FileNamesTest, MoveFileCopiesBetweenDrives) {
  using namespace win;
  TestMachine m("[drives]\nD = $STATE/d\n");
  std::filesystem::create_directories(m.stateDir() + "/d");
  m.makeFile("App/a.txt", "a");
  ASSERT_TRUE(SetFileAttributes("C:\\App\\a.txt", FILE_ATTRIBUTE_HIDDEN));
  ASSERT_TRUE(MoveFile("C:\\App\\a.txt", "D:\\a.txt"));
  EXPECT_FALSE(hostExists(m.hostC("App/a.txt")));
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/d/a.txt"), "a");
  EXPECT_EQ(GetFileAttributes("D:\\a.txt"), FILE_ATTRIBUTE_HIDDEN);
  std::filesystem::create_directories(m.hostC("Dir"));
  EXPECT_EQ(errorOf(MoveFile("C:\\Dir", "D:\\Dir")), ERROR_NOT_SAME_DEVICE);
}

TEST(FileNamesTest, RestartMovesOnlyAppendToThePendingStoreUntilPlayedBack) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/new.dll", "new");
  m.makeFile("App/Old.dll", "old");
  m.makeFile("App/gone.tmp", "x");
  ASSERT_TRUE(
      MoveFileEx("c:\\app\\new.dll", "C:\\App\\old.dll", MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT));
  ASSERT_TRUE(MoveFileEx("C:\\App\\gone.tmp", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT));
  EXPECT_EQ(errorOf(MoveFileEx("C:\\App\\gone.tmp", nullptr, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_COPY_ALLOWED)),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(TestMachine::readText(m.hostC("App/Old.dll")), "old");
  EXPECT_TRUE(hostExists(m.hostC("App/gone.tmp")));
  EXPECT_EQ(TestMachine::readText(m.stateDir() + "/pending-renames.txt"),
            "5\tC:\\App\\new.dll\tC:\\App\\Old.dll\n4\tC:\\App\\gone.tmp\t\n");

  EXPECT_EQ(win_testing::playPendingRenames(), 0);
  EXPECT_EQ(TestMachine::readText(m.hostC("App/Old.dll")), "new");
  EXPECT_FALSE(hostExists(m.hostC("App/new.dll")));
  EXPECT_FALSE(hostExists(m.hostC("App/gone.tmp")));
  EXPECT_TRUE(win_testing::readPendingRenames().empty());
}

TEST(FileNamesTest, CopyFileCopiesBytesAttributesAndTimeOrNothing) {
  using namespace win;
  struct Case {
    const char* to;
    BOOL failIfExists;
    DWORD error;
    const char* content;  // of the target afterwards ("" = absent)
  } cases[] = {
      {"C:\\App\\copy.txt", TRUE, ERROR_SUCCESS, "source"},
      {"C:\\App\\old.txt", FALSE, ERROR_SUCCESS, "source"},
      {"C:\\App\\old.txt", TRUE, ERROR_FILE_EXISTS, "old"},
      {"C:\\App\\hidden.txt", FALSE, ERROR_ACCESS_DENIED, "hidden"},
      {"C:\\App\\src.txt", FALSE, ERROR_SHARING_VIOLATION, "source"},
      {"C:\\Nope\\copy.txt", FALSE, ERROR_PATH_NOT_FOUND, ""},
      {"C:\\App", FALSE, ERROR_ACCESS_DENIED, ""},
  };
  for (const auto& c : cases) {
    TestMachine m;
    m.makeFile("App/src.txt", "source");
    m.makeFile("App/old.txt", "old");
    m.makeFile("App/hidden.txt", "hidden");
    ASSERT_TRUE(SetFileAttributes("C:\\App\\hidden.txt", FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(errorOf(CopyFile("C:\\App\\SRC.TXT", c.to, c.failIfExists)), c.error) << c.to;
    auto host = mapToHost(c.to);
    EXPECT_EQ(TestMachine::readText(host->host), c.content) << c.to;
  }
  TestMachine m;
  m.makeFile("App/src.txt", "source");
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\none.txt", "C:\\App\\x.txt", FALSE)), ERROR_FILE_NOT_FOUND);
  ASSERT_TRUE(SetFileAttributes("C:\\App\\src.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM));
  struct timespec old[2] = {{1046181600, 0}, {1046181600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, m.hostC("App/src.txt").c_str(), old, 0), 0);
  ASSERT_TRUE(CopyFile("C:\\App\\src.txt", "C:\\App\\copy.txt", TRUE));
  EXPECT_EQ(GetFileAttributes("C:\\App\\copy.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM);
  struct stat st{};
  ASSERT_EQ(::stat(m.hostC("App/copy.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1046181600);
  for (const auto& e : std::filesystem::directory_iterator(m.hostC("App")))  // no side file is left
    EXPECT_EQ(e.path().filename().string().find(':'), std::string::npos);
}

TEST(FileNamesTest, DirectoriesAreMadeAndRemovedWithWindowsResults) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/Full/f.txt", "f");
  m.makeFile("App/file.txt", "f");
  std::filesystem::create_directories(m.hostC("App/Empty"));
  std::filesystem::create_directories(m.hostC("App/Cwd"));
  ASSERT_TRUE(SetCurrentDirectory("C:\\App\\Cwd"));
  struct Case {
    bool create;
    const char* name;
    DWORD error;
  } cases[] = {
      {true, "C:\\App\\New", ERROR_SUCCESS},
      {true, "c:\\app\\new", ERROR_ALREADY_EXISTS},
      {true, "C:\\App\\file.txt", ERROR_ALREADY_EXISTS},
      {true, "C:\\Nope\\New", ERROR_PATH_NOT_FOUND},
      {true, "C:\\App\\N*w", ERROR_INVALID_NAME},
      {true, "C:\\", ERROR_ALREADY_EXISTS},
      {false, "C:\\App\\new", ERROR_SUCCESS},
      {false, "C:\\App\\new", ERROR_FILE_NOT_FOUND},
      {false, "C:\\App\\Full", ERROR_DIR_NOT_EMPTY},
      {false, "C:\\App\\file.txt", ERROR_DIRECTORY},
      {false, "C:\\", ERROR_ACCESS_DENIED},
      {false, "C:\\App\\Cwd", ERROR_SHARING_VIOLATION},
      {false, "C:\\App", ERROR_DIR_NOT_EMPTY},
      {false, "C:\\App\\Empty", ERROR_SUCCESS},
  };
  for (const auto& c : cases) {
    BOOL ok = c.create ? CreateDirectory(c.name, nullptr) : RemoveDirectory(c.name);
    EXPECT_EQ(errorOf(ok), c.error) << (c.create ? "create " : "remove ") << c.name;
  }
  EXPECT_FALSE(hostExists(m.hostC("App/Empty")));
  ASSERT_TRUE(CreateDirectory("C:\\App\\Ro", nullptr));
  ASSERT_TRUE(SetFileAttributes("C:\\App\\Ro", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributes("C:\\App\\Ro"), FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  HANDLE h = CreateFile("C:\\App\\Ro\\inside.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);  // as on Windows, a read-only directory still takes files
  CloseHandle(h);
  EXPECT_TRUE(DeleteFile("C:\\App\\Ro\\inside.txt"));
  EXPECT_EQ(errorOf(RemoveDirectory("C:\\App\\Ro")), ERROR_ACCESS_DENIED);
}

TEST(FileNamesTest, AttributesPersistInTheSideStoreAndFollowTheFile) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/a.txt", "a");
  std::string store = m.stateDir() + "/attributes.txt";
  std::string foreign = "not an entry\n";  // a line the store does not understand stays
  struct Case {
    DWORD set;
    DWORD get;
  } cases[] = {
      {FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
      {FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_NORMAL},
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY,
       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_ARCHIVE},
      {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY, FILE_ATTRIBUTE_HIDDEN},
  };
  EXPECT_EQ(GetFileAttributes("C:\\App\\a.txt"), FILE_ATTRIBUTE_ARCHIVE);
  for (const auto& c : cases) {
    ASSERT_TRUE(SetFileAttributes("C:\\App\\a.txt", c.set));
    EXPECT_EQ(GetFileAttributes("C:\\APP\\A.TXT"), c.get) << c.set;
    if (c.set == FILE_ATTRIBUTE_ARCHIVE) {
      EXPECT_FALSE(platform::fileExists(store));  // the default writes nothing
    }
  }
  EXPECT_EQ(TestMachine::readText(store), "00000002\t" + m.hostC("App/a.txt") + "\n");
  TestMachine::writeText(store, foreign + TestMachine::readText(store));
  {
    win::MachineScope second(m.stateDir());  // another process of the machine sees them
    EXPECT_EQ(GetFileAttributes("C:\\App\\a.txt"), FILE_ATTRIBUTE_HIDDEN);
  }
  ASSERT_TRUE(MoveFile("C:\\App\\a.txt", "C:\\App\\b.txt"));
  EXPECT_EQ(GetFileAttributes("C:\\App\\b.txt"), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(MoveFile("C:\\App", "C:\\Moved"));
  EXPECT_EQ(GetFileAttributes("C:\\Moved\\b.txt"), FILE_ATTRIBUTE_HIDDEN);
  ASSERT_TRUE(DeleteFile("C:\\Moved\\b.txt"));
  EXPECT_EQ(TestMachine::readText(store), foreign);
  HANDLE h = CreateFile("C:\\Moved\\b.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  CloseHandle(h);
  EXPECT_EQ(GetFileAttributes("C:\\Moved\\b.txt"), FILE_ATTRIBUTE_ARCHIVE);  // a new file starts afresh
  EXPECT_EQ(GetFileAttributes("C:\\Moved\\none.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes("C:\\Nope\\none.txt"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(errorOf(SetFileAttributes("C:\\Moved\\none.txt", FILE_ATTRIBUTE_HIDDEN)), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributes("C:\\"), FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace
