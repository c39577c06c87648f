// machine.ini: defaults, every known section, refusals naming the line, and
// sections kept verbatim for other readers.
#include "win/machine_description.h"

#include <gtest/gtest.h>

namespace {

using win::MachineDescription;

MachineDescription parseOk(const std::string& text) {
  std::string error;
  auto d = MachineDescription::parse(text, "/state", &error);
  EXPECT_TRUE(d) << error;
  return d ? *d : MachineDescription();
}

TEST(MachineDescriptionTest, EmptyFileGivesTheDefaultMachine) {
  auto d = parseOk("");
  EXPECT_EQ(d.system.platform, win::WinPlatform::Nt);
  EXPECT_EQ(d.system.majorVersion, 4u);
  EXPECT_EQ(d.system.minorVersion, 0u);
  EXPECT_EQ(d.system.build, 1381u);
  EXPECT_TRUE(d.system.shell4);
  EXPECT_TRUE(d.system.admin);
  EXPECT_EQ(d.system.codepage, 1252u);
  EXPECT_EQ(d.system.screenWidth, 640);
  EXPECT_EQ(d.system.screenHeight, 480);
  EXPECT_EQ(d.windowsDir, "C:\\WINDOWS");
  EXPECT_EQ(d.systemDir, "C:\\WINDOWS\\SYSTEM");
  EXPECT_EQ(d.tempDir, "C:\\TEMP\\");
  ASSERT_EQ(d.drives.size(), 1u);
  EXPECT_EQ(d.drives[0].name, "C");
  EXPECT_EQ(d.drives[0].hostRoot, "/state/drives/C");
  EXPECT_TRUE(d.defaultDriveC);
  EXPECT_EQ(d.clock.start.wYear, 2003);
  EXPECT_EQ(d.clock.start.wMonth, 2);
  EXPECT_EQ(d.clock.start.wDay, 25);
  EXPECT_EQ(d.clock.start.wDayOfWeek, 2);  // a Tuesday
  EXPECT_EQ(d.clock.start.wHour, 14);
  EXPECT_EQ(d.clock.start.wMinute, 5);
  EXPECT_EQ(d.clock.start.wSecond, 9);
  EXPECT_TRUE(d.clock.isVirtual);
  EXPECT_TRUE(d.mpr);
  EXPECT_TRUE(d.getDiskFreeSpaceEx);
  EXPECT_TRUE(d.progman);
  EXPECT_EQ(d.ui.logPixelsY, 96);
  EXPECT_TRUE(d.ui.transcript.empty());
  EXPECT_TRUE(d.failures.empty());
}

TEST(MachineDescriptionTest, ReadsEveryKnownSectionInBothLineEndings) {
  const std::string text =
      "; a comment\r\n# another\r\n"
      "[System]\r\nplatform = 9x\r\nversion=4.10\r\nservice-pack = Service Pack 1\r\nshell4 = 0\r\n"
      "admin = 0\r\nuser = Pat\r\nowner = Pat Doe\r\norganization = Acme Ltd\r\ncodepage = 932\r\nscreen = 800x600\r\nbpp = 32\r\nmemory = 128M\r\n"
      "[dirs]\nwindows = D:/win\nsystem = d:\\win\\system32\ntemp = D:\\Tmp\n"
      "[drives]\n  C = /host/c/  \nd: = /host/d\n\\\\srv\\share = /host/share\n"
      "[drive-types]\nD = cdrom\n\\\\srv\\share = remote\n"
      "[volumes]\nC = SYSTEM, 1a2b-3c4d, 512\n"
      "[free-space]\nC = 2G\n"
      "[clock]\nstart = 1999-12-31T23:59:58\nvirtual = 0\n"
      "[env]\nPATH = C:\\BIN;D:\\WIN\nLANG = de\n"
      "[libraries]\nmpr = 0\ngetdiskfreespaceex = 0\n"
      "[registry]\nreadonly = HKLM\\Software\\Locked\\\n"
      "[services]\nSpooler = running\nDemo = Stopped\n"
      "[failures]\nbusy = C:/App/*.EXE\nshort-write = C:\\App\\a b.txt 10\nsettimer = 8297\n"
      "[ui]\nanswers = /host/answers.txt\ntranscript = /host/t.jsonl\nlogpixelsy = 120\n"
      "[windows]\nQDTXUninstall = Uninstall\n"
      "[progman]\nenabled = 0\n";
  auto d = parseOk(text);
  EXPECT_EQ(d.system.platform, win::WinPlatform::Win9x);
  EXPECT_EQ(d.system.minorVersion, 10u);
  EXPECT_EQ(d.system.build, 950u);
  EXPECT_EQ(d.system.servicePack, "Service Pack 1");
  EXPECT_FALSE(d.system.shell4);
  EXPECT_FALSE(d.system.admin);
  EXPECT_EQ(d.system.user, "Pat");
  EXPECT_EQ(d.system.owner, "Pat Doe");
  EXPECT_EQ(d.system.organization, "Acme Ltd");
  EXPECT_EQ(d.system.codepage, 932u);
  EXPECT_EQ(d.system.screenWidth, 800);
  EXPECT_EQ(d.system.bitsPerPixel, 32);
  EXPECT_EQ(d.system.memoryBytes, 128ull << 20);
  EXPECT_EQ(d.windowsDir, "D:\\win");
  EXPECT_EQ(d.systemDir, "D:\\win\\system32");
  EXPECT_EQ(d.tempDir, "D:\\Tmp\\");
  ASSERT_EQ(d.drives.size(), 3u);
  EXPECT_EQ(d.drives[0].name, "C");
  EXPECT_EQ(d.drives[0].hostRoot, "/host/c");
  EXPECT_EQ(d.drives[1].name, "D");
  EXPECT_EQ(d.drives[2].name, "\\\\srv\\share");
  EXPECT_FALSE(d.defaultDriveC);
  ASSERT_EQ(d.driveTypes.size(), 2u);
  EXPECT_EQ(d.driveTypes[0].second, win::DRIVE_CDROM);
  EXPECT_EQ(d.driveTypes[1].second, win::DRIVE_REMOTE);
  ASSERT_EQ(d.volumes.size(), 1u);
  EXPECT_EQ(d.volumes[0].label, "SYSTEM");
  EXPECT_EQ(d.volumes[0].serial, 0x1A2B3C4Du);
  EXPECT_EQ(d.volumes[0].clusterBytes, 512u);
  ASSERT_EQ(d.freeSpace.size(), 1u);
  EXPECT_EQ(d.freeSpace[0].second, 2ull << 30);
  EXPECT_EQ(d.clock.start.wYear, 1999);
  EXPECT_FALSE(d.clock.isVirtual);
  ASSERT_EQ(d.env.size(), 2u);
  EXPECT_EQ(d.env[0].second, "C:\\BIN;D:\\WIN");
  EXPECT_FALSE(d.mpr);
  EXPECT_FALSE(d.getDiskFreeSpaceEx);
  ASSERT_EQ(d.readOnlyKeys.size(), 1u);
  EXPECT_EQ(d.readOnlyKeys[0], "HKEY_LOCAL_MACHINE\\Software\\Locked");
  ASSERT_EQ(d.services.size(), 2u);
  EXPECT_TRUE(d.services[0].second);
  EXPECT_FALSE(d.services[1].second);
  ASSERT_EQ(d.failures.size(), 4u);
  EXPECT_EQ(d.failures[0].op, platform::FaultOp::RegistryReadOnly);
  EXPECT_EQ(d.failures[1].op, platform::FaultOp::Busy);
  EXPECT_EQ(d.failures[1].pattern, "C:\\App\\*.EXE");
  EXPECT_TRUE(d.failures[1].caseBlind);
  EXPECT_EQ(d.failures[1].count, -1);
  EXPECT_EQ(d.failures[2].pattern, "C:\\App\\a b.txt");
  EXPECT_EQ(d.failures[2].value, 10);
  EXPECT_EQ(d.failures[3].op, platform::FaultOp::SetTimer);
  EXPECT_EQ(d.ui.answers, "/host/answers.txt");
  EXPECT_EQ(d.ui.transcript, "/host/t.jsonl");
  EXPECT_EQ(d.ui.logPixelsY, 120);
  ASSERT_EQ(d.windows.size(), 1u);
  EXPECT_EQ(d.windows[0].second, "Uninstall");
  EXPECT_FALSE(d.progman);
}

struct Refusal {
  const char* text;
  const char* message;
};

TEST(MachineDescriptionTest, RefusesBadLinesNamingThem) {
  const Refusal cases[] = {
      {"[system]\nplatform = os2\n", "machine.ini:2: unknown platform \"os2\" (nt, 9x or win32s)"},
      {"[drives]\nD = /a\n; note\nd: = /b\n", "machine.ini:4: drive D mapped twice (first at line 2)"},
      {"[drives]\n\\\\srv\\s = /a\n\\\\SRV\\S = /b\n", "machine.ini:3: drive \\\\SRV\\S mapped twice (first at line 2)"},
      {"[failures]\nshort-write = C:\\App\\a.txt\n",
       "machine.ini:2: malformed failure line \"short-write = C:\\App\\a.txt\""},
      {"[failures]\nbusy =\n", "machine.ini:2: malformed failure line \"busy = \""},
      {"[failures]\nexplode = *\n", "machine.ini:2: unknown key \"explode\" in [failures]"},
      {"[system]\ncolour = 1\n", "machine.ini:2: unknown key \"colour\" in [system]"},
      {"[system]\nuser = a\nUSER = b\n", "machine.ini:3: \"USER\" given twice in [system] (first at line 2)"},
      {"[drives]\nC = relative/dir\n", "machine.ini:2: host path must be absolute: \"relative/dir\""},
      {"[drives]\nCD = /x\n", "machine.ini:2: not a drive letter or \\\\server\\share: \"CD\""},
      {"[clock]\nstart = 2003-02-30T14:05:09\n",
       "machine.ini:2: bad start time \"2003-02-30T14:05:09\" (YYYY-MM-DDTHH:MM:SS, 1980-2099)"},
      {"[system]\nadmin = yes\n", "machine.ini:2: \"admin\" must be 0 or 1"},
      {"[system]\norganization = "
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n",
       "machine.ini:2: organization text longer than 255 characters"},
      {"[system]\nversion = 4\n", "machine.ini:2: bad version \"4\" (major.minor)"},
      {"[system]\nscreen = 640*480\n", "machine.ini:2: bad screen size \"640*480\" (WIDTHxHEIGHT)"},
      {"[system]\ncodepage = 1234\n", "machine.ini:2: unknown code page \"1234\""},
      {"[volumes]\nC = LABEL, 12345, 4096\n",
       "machine.ini:2: bad volume \"LABEL, 12345, 4096\" (label, XXXX-XXXX serial, cluster bytes)"},
      {"[drive-types]\nC = floppy\n",
       "machine.ini:2: unknown drive type \"floppy\" (removable, fixed, remote, cdrom or ramdisk)"},
      {"[free-space]\nC = lots\n", "machine.ini:2: bad free space \"lots\""},
      {"[services]\nX = paused\n", "machine.ini:2: service state must be running or stopped"},
      {"[registry]\nreadonly = HKXX\\a\n",
       "machine.ini:2: not a registry key \"HKXX\\a\" (HKLM\\path, HKEY_LOCAL_MACHINE\\path, ...)"},
      {"[failures]\nregistry-readonly = Software\\x\n",
       "machine.ini:2: not a registry key \"Software\\x\" (HKLM\\path, HKEY_LOCAL_MACHINE\\path, ...)"},
      {"[ui]\ntranscript = t.jsonl\n", "machine.ini:2: host path must be absolute: \"t.jsonl\""},
      {"[dirs]\nwindows = WINDOWS\n", "machine.ini:2: not an absolute path on a drive: \"WINDOWS\""},
      {"[dirs]\n\nwindows = D:\\WIN\n", "machine.ini:3: directory D:\\WIN is on unmapped drive D:"},
      {"platform = nt\n", "machine.ini:1: \"platform\" outside any section"},
      {"[system\n", "machine.ini:1: malformed section header"},
      {"[system]\r\njust words\r\n", "machine.ini:2: expected \"key = value\""},
      {"[system]\n= nt\n", "machine.ini:2: missing key before '='"},
      {"[doubles]\nx = a\vb\n", "machine.ini:2: control byte in line"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(MachineDescription::parse(c.text, "/state", &error)) << c.text;
    EXPECT_EQ(error, c.message) << c.text;
  }
}

TEST(MachineDescriptionTest, KeepsOtherSectionsVerbatimForTheirReaders) {
  auto d = parseOk("[doubles]\nCtl3d = present\nctl3d = absent\nOdbc Mode = a = b\n[Extra]\nk=v\n[DOUBLES]\nlate = 1\n");
  EXPECT_EQ(d.value("doubles", "CTL3D"), "absent");
  EXPECT_EQ(d.value("Doubles", "odbc mode"), "a = b");
  EXPECT_EQ(d.value("extra", "k"), "v");
  EXPECT_FALSE(d.value("doubles", "missing"));
  auto lines = d.section("doubles");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].key, "Ctl3d");
  EXPECT_EQ(lines[3].key, "late");
  EXPECT_EQ(lines[3].line, 8);
  EXPECT_EQ(d.value("system", "platform"), std::nullopt);
}

}  // namespace
