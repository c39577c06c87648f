// Drives and volumes from the description: drive types, the mapped letters,
// volume label, serial and file system, 64-bit free space, and the error mode.
#include <filesystem>

#include <gtest/gtest.h>

#include "win/files.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::errorOf;
using win_testing::TestMachine;

const char* kIni =
    "[drives]\nD = $STATE/d\nE = $STATE/e\n\\\\srv\\share = $STATE/share\n"
    "[drive-types]\nD = cdrom\n"
    "[volumes]\nC = SYSTEM, 1234-ABCD, 8192\n"
    "[free-space]\nC = 5G\n\\\\srv\\share = 1M\n";

class VolumesTest : public ::testing::Test {
 protected:
  VolumesTest() {
    for (const char* dir : {"/d", "/e", "/share"}) std::filesystem::create_directories(m.stateDir() + dir);
  }
  TestMachine m{kIni};
};

TEST_F(VolumesTest, DriveTypesComeFromTheDescription) {
  using namespace win;
  struct Case {
    const char* root;
    UINT type;
  } cases[] = {
      {"C:\\", DRIVE_FIXED},
      {"c:", DRIVE_FIXED},
      {"D:\\", DRIVE_CDROM},
      {"E:\\", DRIVE_FIXED},
      {"\\\\SRV\\share\\", DRIVE_REMOTE},
      {"Q:\\", DRIVE_NO_ROOT_DIR},
      {"\\\\srv\\other\\", DRIVE_NO_ROOT_DIR},
      {"C:\\WINDOWS\\", DRIVE_NO_ROOT_DIR},
      {nullptr, DRIVE_FIXED},
  };
  for (const auto& c : cases) EXPECT_EQ(GetDriveType(c.root), c.type) << (c.root ? c.root : "NULL");
  EXPECT_EQ(GetLogicalDrives(), (1u << 2) | (1u << 3) | (1u << 4));
}

TEST_F(VolumesTest, VolumeInformationComesFromTheDescription) {
  using namespace win;
  struct Case {
    const char* root;
    DWORD error;
    const char* label;
    DWORD serial;
  } cases[] = {
      {"C:\\", ERROR_SUCCESS, "SYSTEM", 0x1234ABCD},
      {"D:\\", ERROR_SUCCESS, "", 0x1A2B3C4D},
      {"\\\\srv\\share\\", ERROR_SUCCESS, "", 0x1A2B3C4D},
      {nullptr, ERROR_SUCCESS, "SYSTEM", 0x1234ABCD},
      {"Q:\\", ERROR_PATH_NOT_FOUND, "", 0},
      {"\\\\srv\\other\\", ERROR_BAD_NETPATH, "", 0},
      {"C:\\WINDOWS\\", ERROR_DIR_NOT_ROOT, "", 0},
  };
  for (const auto& c : cases) {
    char label[32] = "", fileSystem[16] = "";
    DWORD serial = 0, longest = 0, flags = 0;
    BOOL ok =
        GetVolumeInformation(c.root, label, sizeof label, &serial, &longest, &flags, fileSystem, sizeof fileSystem);
    EXPECT_EQ(errorOf(ok), c.error) << (c.root ? c.root : "NULL");
    if (!ok) continue;
    EXPECT_STREQ(label, c.label);
    EXPECT_EQ(serial, c.serial);
    EXPECT_EQ(longest, 255u);
    EXPECT_STREQ(fileSystem, "NTFS");
  }
  char small[4];
  EXPECT_EQ(errorOf(GetVolumeInformation("C:\\", small, sizeof small, nullptr, nullptr, nullptr, nullptr, 0)),
            ERROR_BAD_LENGTH);
}

TEST_F(VolumesTest, FreeSpaceIsSixtyFourBitAndOverridable) {
  using namespace win;
  ULARGE_INTEGER caller{}, total{}, free{};
  ASSERT_TRUE(GetDiskFreeSpaceEx("C:\\WINDOWS", &caller, &total, &free));
  EXPECT_EQ(caller.QuadPart, 5ull << 30);
  EXPECT_EQ(free.QuadPart, 5ull << 30);
  EXPECT_GE(total.QuadPart, 5ull << 30);
  EXPECT_EQ(caller.HighPart, 1u);
  ASSERT_TRUE(GetDiskFreeSpaceEx("\\\\srv\\share\\", &caller, nullptr, nullptr));
  EXPECT_EQ(caller.QuadPart, 1ull << 20);
  ASSERT_TRUE(GetDiskFreeSpaceEx(nullptr, &caller, nullptr, nullptr));
  EXPECT_EQ(caller.QuadPart, 5ull << 30);
  EXPECT_EQ(errorOf(GetDiskFreeSpaceEx("C:\\Nope", &caller, nullptr, nullptr)), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(errorOf(GetDiskFreeSpaceEx("Q:\\", &caller, nullptr, nullptr)), ERROR_PATH_NOT_FOUND);

  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  ASSERT_TRUE(GetDiskFreeSpace("C:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
  EXPECT_EQ(sectorsPerCluster, 16u);
  EXPECT_EQ(bytesPerSector, 512u);
  EXPECT_EQ(freeClusters, (5ull << 30) / 8192);
  EXPECT_GE(totalClusters, freeClusters);
  ASSERT_TRUE(GetDiskFreeSpace("D:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
  EXPECT_EQ(sectorsPerCluster, 8u);  // 4096-byte clusters
  EXPECT_EQ(errorOf(GetDiskFreeSpace("C:\\WINDOWS\\", nullptr, nullptr, nullptr, nullptr)), ERROR_DIR_NOT_ROOT);
}

TEST(VolumesFreshMachineTest, FreeSpaceOfTheDefaultDriveNeedsNoPathUsedBefore) {
  using namespace win;
  TestMachine fresh("[free-space]\nC = 1M\n");
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  ASSERT_TRUE(GetDiskFreeSpace("C:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
  EXPECT_EQ(freeClusters, (1u << 20) / 4096);
}

TEST_F(VolumesTest, ErrorModeGivesThePreviousMode) {
  using namespace win;
  EXPECT_EQ(SetErrorMode(SEM_NOOPENFILEERRORBOX), 0u);
  EXPECT_EQ(SetErrorMode(SEM_FAILCRITICALERRORS), SEM_NOOPENFILEERRORBOX);
  EXPECT_EQ(SetErrorMode(0), SEM_FAILCRITICALERRORS);
}

}  // namespace
