// File handles: CreateFile's dispositions and errors, reads and writes through
// the file pointer, READONLY and busy files, injected faults, new programs
// executable, and a DOS date and time written and read back through a file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/faults.h"
#include "platform_testing/child_process.h"
#include "win/files.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::errorOf;
using win_testing::TestMachine;

win::HANDLE openFile(const char* name, win::DWORD access, win::DWORD disposition, win::DWORD attributes = 0) {
  return win::CreateFile(name, access, 0, nullptr, disposition, attributes, nullptr);
}

std::string readAll(win::HANDLE h) {
  char buffer[256];
  win::DWORD n = 0;
  EXPECT_TRUE(win::ReadFile(h, buffer, sizeof buffer, &n, nullptr));
  return std::string(buffer, n);
}

bool writeText(win::HANDLE h, const std::string& text) {
  win::DWORD n = 0;
  return win::WriteFile(h, text.data(), static_cast<win::DWORD>(text.size()), &n, nullptr) && n == text.size();
}

TEST(FileHandlesTest, CreateFileDispositionsGiveWindowsResults) {
  using namespace win;
  struct Case {
    const char* name;
    DWORD access;
    DWORD disposition;
    DWORD error;        // the last error, on success too
    const char* after;  // content of C:\App\old.txt afterwards (it holds "old")
  } cases[] = {
      {"C:\\App\\old.txt", GENERIC_READ, OPEN_EXISTING, ERROR_SUCCESS, "old"},
      {"c:\\APP\\OLD.TXT", GENERIC_READ, OPEN_ALWAYS, ERROR_ALREADY_EXISTS, "old"},
      {"C:\\App\\old.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_ALREADY_EXISTS, ""},
      {"C:\\App\\old.txt", GENERIC_WRITE, TRUNCATE_EXISTING, ERROR_SUCCESS, ""},
      {"C:\\App\\old.txt", GENERIC_READ, TRUNCATE_EXISTING, ERROR_INVALID_PARAMETER, "old"},
      {"C:\\App\\old.txt", GENERIC_WRITE, CREATE_NEW, ERROR_FILE_EXISTS, "old"},
      {"C:\\App\\new.txt", GENERIC_WRITE, CREATE_NEW, ERROR_SUCCESS, "old"},
      {"C:\\App\\new.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_SUCCESS, "old"},
      {"C:\\App\\new.txt", GENERIC_WRITE, OPEN_ALWAYS, ERROR_SUCCESS, "old"},
      {"C:\\App\\new.txt", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND, "old"},
      {"C:\\App\\new.txt", GENERIC_WRITE, TRUNCATE_EXISTING, ERROR_FILE_NOT_FOUND, "old"},
      {"C:\\Nope\\new.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_PATH_NOT_FOUND, "old"},
      {"C:\\App", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED, "old"},
      {"C:\\", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED, "old"},
      {"C:\\App\\new.txt", GENERIC_WRITE, 0, ERROR_INVALID_PARAMETER, "old"},
      {"C:\\App\\new.txt", GENERIC_WRITE, 6, ERROR_INVALID_PARAMETER, "old"},
  };
  for (const auto& c : cases) {
    TestMachine m;
    m.makeFile("App/old.txt", "old");
    SetLastError(0xDEAD);
    HANDLE h = openFile(c.name, c.access, c.disposition);
    EXPECT_EQ(GetLastError(), c.error) << c.name << " " << c.disposition;
    EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.error == ERROR_SUCCESS || c.error == ERROR_ALREADY_EXISTS) << c.name;
    if (h != INVALID_HANDLE_VALUE) {
      EXPECT_TRUE(CloseHandle(h));
    }
    EXPECT_EQ(TestMachine::readText(m.hostC("App/old.txt")), c.after) << c.name << " " << c.disposition;
  }
}

TEST(FileHandlesTest, ReadsAndWritesThroughTheFilePointer) {
  using namespace win;
  TestMachine m;
  std::filesystem::create_directories(m.hostC("App"));
  HANDLE h = openFile("C:\\App\\data.bin", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(writeText(h, "hello world"));
  DWORD high = 0;
  EXPECT_EQ(GetFileSize(h, &high), 11u);
  EXPECT_EQ(high, 0u);
  struct Seek {
    LONG distance;
    DWORD method;
    DWORD position;
    DWORD error;
  } seeks[] = {
      {6, FILE_BEGIN, 6, ERROR_SUCCESS},
      {-5, FILE_END, 6, ERROR_SUCCESS},
      {2, FILE_CURRENT, 8, ERROR_SUCCESS},
      {-9, FILE_CURRENT, INVALID_SET_FILE_POINTER, ERROR_NEGATIVE_SEEK},
      {0, 3, INVALID_SET_FILE_POINTER, ERROR_INVALID_PARAMETER},
      {20, FILE_BEGIN, 20, ERROR_SUCCESS},
  };
  for (const auto& s : seeks) {
    SetLastError(0xDEAD);
    EXPECT_EQ(SetFilePointer(h, s.distance, nullptr, s.method), s.position) << s.distance;
    EXPECT_EQ(GetLastError(), s.error) << s.distance;
  }
  EXPECT_EQ(readAll(h), "");  // past the end: success with nothing read
  LONG up = 1;                // 64-bit moves give the high half back
  EXPECT_EQ(SetFilePointer(h, 0, &up, FILE_BEGIN), 0u);
  EXPECT_EQ(up, 1);
  EXPECT_EQ(SetFilePointer(h, 6, nullptr, FILE_BEGIN), 6u);
  EXPECT_EQ(readAll(h), "world");
  EXPECT_TRUE(FlushFileBuffers(h));
  EXPECT_TRUE(CloseHandle(h));
  EXPECT_EQ(errorOf(CloseHandle(h)), ERROR_INVALID_HANDLE);
  EXPECT_EQ(errorOf(ReadFile(h, nullptr, 0, nullptr, nullptr)), ERROR_INVALID_HANDLE);
  EXPECT_EQ(errorOf(CloseHandle(INVALID_HANDLE_VALUE)), ERROR_INVALID_HANDLE);

  HANDLE reader = openFile("C:\\App\\data.bin", GENERIC_READ, OPEN_EXISTING);
  EXPECT_EQ(errorOf(writeText(reader, "x")), ERROR_ACCESS_DENIED);
  FILETIME t{};
  EXPECT_EQ(errorOf(SetFileTime(reader, nullptr, nullptr, &t)), ERROR_ACCESS_DENIED);
  CloseHandle(reader);
  HANDLE writer = openFile("C:\\App\\data.bin", GENERIC_WRITE, OPEN_EXISTING);
  char c;
  DWORD n = 0;
  EXPECT_EQ(errorOf(ReadFile(writer, &c, 1, &n, nullptr)), ERROR_ACCESS_DENIED);
  CloseHandle(writer);
  EXPECT_EQ(m.machine().kernelHandles().size(), 0u);
}

TEST(FileHandlesTest, ReadOnlyBlocksWritingAndDeletingEvenForRoot) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/ro.txt", "keep");
  m.makeFile("App/other.txt", "other");
  ASSERT_TRUE(SetFileAttributes("C:\\App\\ro.txt", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributes("C:\\App\\ro.txt"), FILE_ATTRIBUTE_READONLY);  // exactly the bits given
  EXPECT_EQ(openFile("C:\\App\\ro.txt", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(openFile("C:\\App\\ro.txt", GENERIC_READ, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(DeleteFile("C:\\App\\ro.txt")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(MoveFileEx("C:\\App\\other.txt", "C:\\App\\ro.txt", MOVEFILE_REPLACE_EXISTING)),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\other.txt", "C:\\App\\ro.txt", FALSE)), ERROR_ACCESS_DENIED);
  EXPECT_EQ(_lopen("C:\\App\\ro.txt", OF_WRITE), HFILE_ERROR);
  HANDLE h = openFile("C:\\App\\ro.txt", GENERIC_READ, OPEN_EXISTING);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(readAll(h), "keep");
  CloseHandle(h);
  EXPECT_EQ(TestMachine::readText(m.hostC("App/ro.txt")), "keep");

  ASSERT_TRUE(SetFileAttributes("C:\\App\\ro.txt", FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFile("C:\\App\\ro.txt"));
  // A new read-only file is read-only for everyone but the handle that made it.
  h = openFile("C:\\App\\made.txt", GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_READONLY);
  EXPECT_TRUE(writeText(h, "made"));
  CloseHandle(h);
  EXPECT_EQ(errorOf(DeleteFile("C:\\App\\made.txt")), ERROR_ACCESS_DENIED);
}

TEST(FileHandlesTest, BusyFileFailsDeleteReplaceAndWriteOpenButReads) {
  using namespace win;
  struct Case {
    const char* why;
    const char* ini;
    bool running;  // a process of the machine runs the file
  } cases[] = {
      {"failure rule", "[failures]\nbusy = c:/app/PROG.*\n", false},
      {"running program", "", true},
  };
  for (const auto& c : cases) {
    TestMachine m(c.ini);
    m.makeFile("App/PROG.EXE", "program");
    m.makeFile("App/new.exe", "new");
    platform_testing::ChildProcess child("/bin/sleep", m.stateDir(), {}, {"30"});
    if (c.running) {
      ASSERT_TRUE(m.machine().processTable().add(child.pid(), m.hostC("App/PROG.EXE"), "C:\\App\\PROG.EXE"));
    }
    EXPECT_EQ(errorOf(DeleteFile("C:\\App\\prog.exe")), ERROR_SHARING_VIOLATION) << c.why;
    EXPECT_EQ(errorOf(MoveFileEx("C:\\App\\new.exe", "C:\\App\\PROG.EXE", MOVEFILE_REPLACE_EXISTING)),
              ERROR_SHARING_VIOLATION)
        << c.why;
    EXPECT_EQ(errorOf(CopyFile("C:\\App\\new.exe", "C:\\App\\PROG.EXE", FALSE)), ERROR_SHARING_VIOLATION) << c.why;
    EXPECT_EQ(openFile("C:\\App\\PROG.EXE", GENERIC_WRITE, OPEN_EXISTING), INVALID_HANDLE_VALUE) << c.why;
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION) << c.why;
    HANDLE h = openFile("C:\\App\\PROG.EXE", GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.why;
    EXPECT_EQ(readAll(h), "program") << c.why;
    CloseHandle(h);
    EXPECT_TRUE(CopyFile("C:\\App\\PROG.EXE", "C:\\App\\copy.exe", TRUE)) << c.why;
    EXPECT_TRUE(DeleteFile("C:\\App\\new.exe")) << c.why;  // the other files are free
  }
}

TEST(FileHandlesTest, InjectedFaultsFailTheirOperation) {
  using namespace win;
  TestMachine m(
      "[failures]\nshort-write = C:\\App\\short.txt 10\nread-error = *\\bad.txt\ndenied = C:\\App\\locked*\n"
      "create = C:\\App\\never.txt\n");
  m.makeFile("App/bad.txt", "unreadable");
  m.makeFile("App/locked.txt", "locked");
  m.makeFile("App/src.txt", std::string(100, 's'));

  HANDLE h = openFile("C:\\App\\short.txt", GENERIC_WRITE, CREATE_NEW);
  DWORD n = 0;
  std::string hundred(100, 'x');
  EXPECT_TRUE(WriteFile(h, hundred.data(), 100, &n, nullptr));
  EXPECT_EQ(n, 10u);
  EXPECT_TRUE(WriteFile(h, hundred.data(), 100, &n, nullptr));
  EXPECT_EQ(n, 0u);
  CloseHandle(h);
  EXPECT_EQ(TestMachine::readText(m.hostC("App/short.txt")), std::string(10, 'x'));
  // A copy that cannot be written whole leaves no target.
  ASSERT_TRUE(DeleteFile("C:\\App\\short.txt"));
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\src.txt", "C:\\App\\short.txt", FALSE)), ERROR_DISK_FULL);
  EXPECT_EQ(GetFileAttributes("C:\\App\\short.txt"), INVALID_FILE_ATTRIBUTES);

  h = openFile("C:\\App\\bad.txt", GENERIC_READ, OPEN_EXISTING);
  char buffer[16];
  EXPECT_EQ(errorOf(ReadFile(h, buffer, sizeof buffer, &n, nullptr)), ERROR_READ_FAULT);
  CloseHandle(h);
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\bad.txt", "C:\\App\\bad2.txt", FALSE)), ERROR_READ_FAULT);

  EXPECT_EQ(openFile("C:\\App\\locked.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(DeleteFile("C:\\App\\LOCKED.TXT")), ERROR_ACCESS_DENIED);
  EXPECT_EQ(errorOf(MoveFile("C:\\App\\src.txt", "C:\\App\\locked2.txt")), ERROR_ACCESS_DENIED);

  EXPECT_EQ(openFile("C:\\App\\never.txt", GENERIC_WRITE, CREATE_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(_lcreat("C:\\App\\never.txt", 0), HFILE_ERROR);
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\src.txt", "C:\\App\\never.txt", FALSE)), ERROR_ACCESS_DENIED);
}

TEST(FileHandlesTest, HostFilesThatAreNoRegularFilesAreRefusedWithoutWaiting) {
  using namespace win;
  TestMachine m;
  std::filesystem::create_directories(m.hostC("App"));
  ASSERT_EQ(::mkfifo(m.hostC("App/pipe").c_str(), 0644), 0);
  for (DWORD access : {GENERIC_READ, GENERIC_WRITE}) {
    EXPECT_EQ(openFile("C:\\App\\pipe", access, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  EXPECT_EQ(errorOf(CopyFile("C:\\App\\pipe", "C:\\App\\copy", FALSE)), ERROR_ACCESS_DENIED);
  EXPECT_EQ(_lopen("C:\\App\\pipe", OF_READ), HFILE_ERROR);
}

TEST(FileHandlesTest, NewProgramFilesAreExecutable) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/QDJ1234.TMP", "program");
  struct Case {
    const char* name;
    bool executable;
  } cases[] = {{"C:\\App\\SETUP.EXE", true},
               {"C:\\App\\run.com", true},
               {"C:\\App\\go.Bat", true},
               {"C:\\App\\readme.txt", false},
               {"C:\\App\\exe", false}};
  for (const auto& c : cases) {
    HANDLE h = openFile(c.name, GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << c.name;
    CloseHandle(h);
    auto host = mapToHost(c.name);
    struct stat st{};
    ASSERT_EQ(::stat(host->host.c_str(), &st), 0);
    EXPECT_EQ((st.st_mode & S_IXUSR) != 0, c.executable) << c.name;
  }
  ASSERT_TRUE(CopyFile("C:\\App\\QDJ1234.TMP", "C:\\App\\QDJ1234.EXE", FALSE));
  struct stat st{};
  ASSERT_EQ(::stat(m.hostC("App/QDJ1234.EXE").c_str(), &st), 0);
  EXPECT_NE(st.st_mode & S_IXUSR, 0u);
}

TEST(FileHandlesTest, DosDateAndTimeReadBackThroughTheFile) {
  using namespace win;
  TestMachine m;
  m.makeFile("App/a.txt", "a");
  FILETIME local{}, utc{};
  ASSERT_TRUE(DosDateTimeToFileTime(0x2E59, 0x7000, &local));
  ASSERT_TRUE(LocalFileTimeToFileTime(&local, &utc));
  HANDLE h = openFile("C:\\App\\a.txt", GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &utc));
  CloseHandle(h);

  struct stat st{};
  ASSERT_EQ(::stat(m.hostC("App/a.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1046181600);  // 2003-02-25 14:00:00 UTC (TZ=UTC)

  h = openFile("C:\\App\\a.txt", GENERIC_READ, OPEN_EXISTING);
  FILETIME written{}, back{};
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
  CloseHandle(h);
  ASSERT_TRUE(FileTimeToLocalFileTime(&written, &back));
  WORD date = 0, time = 0;
  ASSERT_TRUE(FileTimeToDosDateTime(&back, &date, &time));
  EXPECT_EQ(date, 0x2E59);
  EXPECT_EQ(time, 0x7000);
  SYSTEMTIME s{};
  ASSERT_TRUE(FileTimeToSystemTime(&back, &s));
  EXPECT_EQ(s.wYear, 2003);
  EXPECT_EQ(s.wMonth, 2);
  EXPECT_EQ(s.wDay, 25);
  EXPECT_EQ(s.wHour, 14);
  EXPECT_EQ(s.wMinute, 0);
  EXPECT_EQ(s.wSecond, 0);
}

}  // namespace
