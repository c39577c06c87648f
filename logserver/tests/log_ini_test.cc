// "log.ini": whole lines with CR/LF removed, the address from the fourth
// character of line 2, the data directory from the sixth of line 4.
#include <arpa/inet.h>

#include <gtest/gtest.h>

#include <fstream>

#include "logserver/log_ini.h"
#include "platform_testing/temp_dir.h"

namespace {

using halvern::parseLogIni;

std::uint32_t dotted(const char* text) { return ::inet_addr(text); }

TEST(LogIniTest, CutsTheAddressAndDataDirectoryWhateverTheLineEnds) {
  struct Case {
    const char* name;
    const char* text;
    const char* addressText;
    std::uint32_t address;
    const char* dataDirectory;
  } cases[] = {
      {"LF", "key\nip=192.168.1.10\nkey\npath=/srv/ids\n", "192.168.1.10", dotted("192.168.1.10"), "/srv/ids"},
      {"CRLF", "key\r\nip=192.168.1.10\r\nkey\r\npath=/srv/ids\r\n", "192.168.1.10", dotted("192.168.1.10"),
       "/srv/ids"},
      {"no final line end", "key\nip=10.0.0.1", "10.0.0.1", dotted("10.0.0.1"), ""},
      {"long lines are whole", "a longer first line\nxxx10.20.30.40\n\n12345/a/very/long/data/directory/path/x\n",
       "10.20.30.40", dotted("10.20.30.40"), "/a/very/long/data/directory/path/x"},
      {"empty file", "", "", 0, ""},
      {"one line", "key\n", "", 0, ""},
      {"short address line", "key\nip\n", "", 0, ""},
      {"key only", "key\nip=\n", "", 0, ""},
      {"garbage address", "key\nip=hello\n", "hello", 0, ""},
      {"broadcast is an address", "key\nip=255.255.255.255\n", "255.255.255.255", 0xFFFFFFFFu, ""},
      {"short data directory line", "k\nip=1.2.3.4\nk\npath\n", "1.2.3.4", dotted("1.2.3.4"), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    halvern::LogIni ini = parseLogIni(c.text);
    EXPECT_EQ(ini.addressText, c.addressText);
    EXPECT_EQ(ini.serverAddress, c.address);
    EXPECT_EQ(ini.dataDirectory, c.dataDirectory);
  }
}

TEST(LogIniTest, MissingFileIsNotOpenedAndGivesAddressZero) {
  platform_testing::TempDir dir;
  halvern::LogIni missing = halvern::readLogIni(dir.file("log.ini"));
  EXPECT_FALSE(missing.opened);
  EXPECT_EQ(missing.serverAddress, 0u);

  std::ofstream(dir.file("log.ini"), std::ios::binary) << "key\r\nip=192.168.1.10\r\n";
  halvern::LogIni ini = halvern::readLogIni(dir.file("log.ini"));
  EXPECT_TRUE(ini.opened);
  EXPECT_EQ(ini.addressText, "192.168.1.10");
}

}  // namespace
