// Device lines of a removed driver commented out in SYSTEM.INI, every other
// byte kept.
#include "system/vxd_device.h"

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

TEST(VxdDeviceTest, MatchingDeviceLinesOfTheSectionAreCommentedOut) {
  const std::string longLine = "x=" + std::string(398, 'y');
  struct Case {
    const char* name;
    std::string before, after;
  };
  const Case cases[] = {
      {"path and name",
       "[386Enh]\r\ndevice=C:\\WINDOWS\\SYSTEM\\VXD.386\r\n  device=vxd.386\r\ndevice=other.386\r\n",
       "[386Enh]\r\n;device=C:\\WINDOWS\\SYSTEM\\VXD.386\r\n;  device=vxd.386\r\ndevice=other.386\r\n"},
      {"long and LF-only lines kept",
       "[boot]\n" + longLine + "\n[386enh]\n\ndevice=VXD.386\n" + longLine,
       "[boot]\n" + longLine + "\n[386enh]\n\n;device=VXD.386\n" + longLine},
      {"other sections untouched", "[boot]\r\ndevice=vxd.386\r\n[386Enh]\r\n[x]\r\ndevice=vxd.386\r\n",
       "[boot]\r\ndevice=vxd.386\r\n[386Enh]\r\n[x]\r\ndevice=vxd.386\r\n"},
      {"last line without an end", "[386Enh]\r\ndevice=vxd.386", "[386Enh]\r\n;device=vxd.386"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestMachine m;
    m.makeFile("WINDOWS/SYSTEM.INI", c.before);
    remvex::RemoveVxdDevice("C:\\WINDOWS\\SYSTEM\\VXD.386");
    EXPECT_EQ(TestMachine::readText(m.hostC("WINDOWS/SYSTEM.INI")), c.after);
    EXPECT_FALSE(std::filesystem::exists(m.hostC("WINDOWS/~QDTX383.TMP")));
  }
}

TEST(VxdDeviceTest, FailedReadOrWriteLeavesTheFile) {
  const std::string before = "[386Enh]\r\ndevice=vxd.386\r\n";
  for (const char* failure : {"read-error = C:\\WINDOWS\\SYSTEM.INI", "short-write = C:\\WINDOWS\\~QDTX383.TMP 3"}) {
    SCOPED_TRACE(failure);
    TestMachine m(std::string("[failures]\n") + failure + "\n");
    m.makeFile("WINDOWS/SYSTEM.INI", before);
    remvex::RemoveVxdDevice("C:\\WINDOWS\\SYSTEM\\VXD.386");
    EXPECT_EQ(TestMachine::readText(m.hostC("WINDOWS/SYSTEM.INI")), before);
    EXPECT_FALSE(std::filesystem::exists(m.hostC("WINDOWS/~QDTX383.TMP")));
  }
}

}  // namespace
