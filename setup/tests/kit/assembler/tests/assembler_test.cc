// The assembler against expectations written out by hand: the one-language
// image, record sizes from the opcode table, field placement, the
// installation file with its layout report, and refused sources.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "assembler.h"
#include "platform/files.h"
#include "platform_testing/child_process.h"
#include "platform_testing/temp_dir.h"

namespace {

using merl_asm::Bytes;

Bytes assembleOk(const std::string& source) {
  merl_asm::AssemblyResult r = merl_asm::assembleSource(source, "test.mas", "");
  EXPECT_TRUE(r.ok) << r.error;
  return r.assembly.image;
}

std::string hex(const Bytes& bytes, std::size_t from = 0, std::size_t count = std::string::npos) {
  std::string out;
  char buf[4];
  for (std::size_t i = from; i < bytes.size() && i - from < count; ++i) {
    std::snprintf(buf, sizeof buf, "%s%02x", out.empty() ? "" : " ", bytes[i]);
    out += buf;
  }
  return out;
}

// A header of n languages; system names only where the list has them.
std::string headerText(int languages) {
  std::string text = "header {\n";
  for (int i = 0; i < languages; ++i) {
    text += "  language { name=\"L" + std::to_string(i) + "\" title=\"T\"";
    if (languages > 1) text += " system=\"S\"";
    text += " }\n";
  }
  return text + "}\n";
}

// The bytes that record (one line of the text form) adds after the header.
Bytes recordBytes(int languages, const std::string& record, const std::string& more = "") {
  Bytes header = assembleOk(headerText(languages));
  Bytes whole = assembleOk(headerText(languages) + record + "\n" + more);
  if (whole.size() < header.size()) return {};
  return Bytes(whole.begin() + static_cast<long>(header.size()), whole.end());
}

TEST(ScriptImage, OneLanguageImageHasItsHeaderBytesAndRecordInPlace) {
  Bytes image = assembleOk(R"(
header {
  flags = 0
  log_path = "C:\\APP\\INSTALL.LOG"
  font_face = "MS Sans Serif"
  font_size = 8
  manufacturer = "Acme"
  product = "Demo"
  version = "1.0"
  serial = "S1"
  language {
    name = "English"
    title = "Demo Setup"
    m1 = "Installation complete."
  }
}
log text="Hello\r\n"
)");
  ASSERT_EQ(image.size(), 297u);
  EXPECT_EQ(hex(image, 0x30, 16), "72 69 66 00 08 00 00 00 00 00 01 00 00 41 63 6d");
  EXPECT_EQ(hex(image, 0x120), "1c 48 65 6c 6c 6f 0d 0a 00");
}

// Fixed size, strings, strings per language: typed in from the opcode table.
struct OpcodeRow {
  const char* mnemonic;
  int opcode;
  int fixed, strings, languageStrings;
  const char* stringFields;
};

const OpcodeRow kOpcodeTable[] = {
    {"install", 0, 43, 2, 1, "dest desc hook"},
    {"nop", 2, 2, 1, 4, "note text1 text2 text3 text4"},
    {"msgbox", 3, 2, 0, 2, "title text"},
    {"progman", 4, 2, 0, 1, "command"},
    {"ini", 5, 1, 3, 0, "file section entries"},
    {"bitmap", 6, 19, 0, 0, ""},
    {"exec", 7, 2, 3, 0, "program arguments directory"},
    {"end", 8, 2, 0, 0, ""},
    {"call", 9, 2, 2, 1, "library function params"},
    {"registry", 10, 3, 3, 0, "key data value_name"},
    {"delete", 11, 2, 1, 0, "pattern"},
    {"if", 12, 2, 2, 0, "variable text"},
    {"else", 13, 1, 0, 0, ""},
    {"progman_open", 15, 1, 0, 0, ""},
    {"progman_close", 16, 1, 0, 0, ""},
    {"mkdir", 17, 1, 1, 0, "path"},
    {"install_source", 18, 43, 3, 1, "dest desc hook source"},
    {"dialog", 20, 13, 2, 0, "variable value"},
    {"sysinfo", 21, 2, 2, 0, "variable parameter"},
    {"tempfile", 22, 1, 1, 0, "variable"},
    {"sound", 23, 6, 1, 0, "file"},
    {"exit", 24, 1, 0, 0, ""},
    {"odbc_driver", 25, 2, 3, 0, "manager_variable driver_variable description"},
    {"odbc_source", 26, 2, 2, 0, "driver attributes"},
    {"remark", 27, 1, 0, 0, ""},
    {"log", 28, 1, 1, 0, "text"},
    {"rename", 29, 1, 2, 0, "old new"},
    {"log_control", 30, 2, 1, 0, "path"},
};

TEST(ScriptRecords, EveryValidOpcodeHasTheSizeOfTheOpcodeTable) {
  for (const OpcodeRow& row : kOpcodeTable) {
    std::string fields;
    std::istringstream names(row.stringFields);
    for (std::string name; names >> name;) fields += " " + name + "=\"ab\"";  // 3 bytes each
    for (int n : {1, 2}) {
      SCOPED_TRACE(std::string(row.mnemonic) + " with " + std::to_string(n) + " languages");
      std::size_t expected = row.fixed + 3 * (row.strings + row.languageStrings * n);
      if (row.opcode == 6) expected += 12 * (n - 1);
      Bytes byName = recordBytes(n, row.mnemonic + fields);
      ASSERT_EQ(byName.size(), expected);
      EXPECT_EQ(byName[0], row.opcode);
      EXPECT_EQ(recordBytes(n, "op " + std::to_string(row.opcode) + fields), byName);
    }
  }
  EXPECT_EQ(recordBytes(2, "bitmap").size(), 31u);
}

TEST(ScriptRecords, FieldsLandAtTheirOffsetsAndLanguageGroupsRepeatInLanguageOrder) {
  const std::string data = "install_file {\n data a = hex(\"01 02 03\")\n data b = text(\"Hello\")\n}\n";
  struct Case {
    int languages;
    std::string record, bytes;
  } cases[] = {
      {2, "msgbox flags=1 title=[\"T0\", \"T1\"] text=[\"X0\", \"X1\"]",
       "03 01 54 30 00 58 30 00 54 31 00 58 31 00"},
      {2, "install flags_a=0x20 flags_b=8 start=start(b) end=end(b) date=0x1234 size=size(b) checksum=0xCBF43926 "
          "dest=\"D\" desc=[\"E0\", \"E1\"] hook=\"\"",
       "00 20 08 03 00 00 00 08 00 00 00 34 12 00 00 05 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
       "00 00 00 26 39 f4 cb 44 00 45 30 00 45 31 00 00"},
      {2, "bitmap flags=0x0402 x=0x8010 y=5 start=[start(a), start(b)] end=[end(a), end(b)] size=3",
       "06 02 04 10 80 05 00 00 00 00 00 03 00 00 00 03 00 00 00 03 00 00 00 08 00 00 00 03 00 00 00"},
      {1, "sound flags=2 x=-2 y=0x7fff file=\"a.avi\"", "17 02 fe ff ff 7f 61 2e 61 76 69 00"},
      {1, "call flags=3 library=\"\\x7F\" function=\"f8\" params=\"1\\x7F\\t\\\\\\\"\"",
       "09 03 7f 00 66 38 00 31 7f 09 5c 22 00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record);
    EXPECT_EQ(hex(recordBytes(c.languages, c.record, data)), c.bytes);
  }
}

TEST(ScriptImage, TwoLanguageHeaderListsDisplayAndSystemNamesThenThePrompt) {
  Bytes image = assembleOk(
      "header {\n prompt=\"P\"\n language { name=\"English\" system=\"ENU\" title=\"a\" }\n"
      " language { name=\"Deutsch\" system=\"DEU\" title=\"b\" m44=\"z\" }\n}\n");
  std::string text(image.begin(), image.end());
  EXPECT_NE(text.find(std::string("\0\x02\0\0\0\0\0\0\0English\0ENU\0Deutsch\0DEU\0P\0a\0m0\0", 40)), std::string::npos);
  EXPECT_NE(text.find(std::string("m44\0b\0m0\0", 9)), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 6), std::string("m43\0z\0", 6));
}

// merl_asm run in dir with the given arguments: its exit status and standard error.
struct ProgramRun {
  int status;
  std::string stderrText;
};

ProgramRun runMerlAsm(const std::string& dir, std::vector<std::string> args) {
  platform_testing::ChildProcess child(MERL_ASM_BINARY, dir, {}, std::move(args));
  int status = child.waitExit(10000);
  return {status, child.stderrText()};
}

void writeFile(const std::string& path, const std::string& text) { ASSERT_TRUE(platform::writeFileAtomic(path, text)); }

std::string readFile(const std::string& path) {
  std::string text;
  EXPECT_TRUE(platform::readWholeFile(path, text)) << path;
  return text;
}

// The number after "key": in json, each key searched for after the previous one.
long numberAt(const std::string& json, std::initializer_list<std::string> keys) {
  std::size_t at = 0;
  for (const std::string& key : keys) {
    at = json.find("\"" + key + "\": ", at);
    if (at == std::string::npos) return -1;
    at += key.size() + 4;
  }
  return std::stol(json.substr(at));
}

TEST(MerlAsmProgram, WritesImageInstallationFileAndLayoutInStartUpOrder) {
  platform_testing::TempDir dir;
  writeFile(dir.file("hook.bin"), "HK!");
  writeFile(dir.file("s.mas"), headerText(1) +
                                   "install_file {\n data_offset = 4\n support 10 = hex(\"aa bb\")\n"
                                   " support 4 = file(\"hook.bin\")\n dialog_block = hex(\"d0 d1 d2\")\n"
                                   " dialog_block_size = 16\n data a = text(\"Hello\")\n data b = hex(\"01 02\")\n}\n"
                                   "on_exit = cleanup\n"
                                   "install start=start(b) end=end(b) dest=\"D\" desc=\"\" hook=\"\"\n"
                                   "cleanup: exit\n");
  ProgramRun run = runMerlAsm(dir.path(), {"s.mas", "--image", "out.img", "--install-file", "out.bin", "--layout", "out.json"});
  ASSERT_EQ(run.status, 0) << run.stderrText;

  EXPECT_EQ(readFile(dir.file("out.bin")), std::string("\0\0\0\0HK!\xaa\xbb\xd0\xd1\xd2Hello\x01\x02", 19));
  std::string image = readFile(dir.file("out.img"));
  std::string json = readFile(dir.file("out.json"));
  EXPECT_EQ(numberAt(json, {"script_length"}), static_cast<long>(image.size()));
  EXPECT_EQ(numberAt(json, {"support_sizes", "3"}), 0);
  EXPECT_EQ(numberAt(json, {"support_sizes", "4"}), 3);
  EXPECT_EQ(numberAt(json, {"support_sizes", "10"}), 2);
  EXPECT_EQ(numberAt(json, {"dialog_block_stored_size"}), 3);
  EXPECT_EQ(numberAt(json, {"dialog_block_size"}), 16);
  EXPECT_EQ(numberAt(json, {"on_cancel"}), 0);
  EXPECT_EQ(numberAt(json, {"data_offset"}), 4);
  EXPECT_EQ(numberAt(json, {"data_base"}), 12);
  EXPECT_EQ(numberAt(json, {"data", "b", "start"}), 5);
  EXPECT_EQ(numberAt(json, {"data", "b", "end"}), 7);
  long onExit = numberAt(json, {"on_exit"});
  ASSERT_GT(onExit, 0);
  ASSERT_LT(onExit, static_cast<long>(image.size()));
  EXPECT_EQ(image[onExit], 24);  // the exit record
  EXPECT_EQ(numberAt(json, {"labels", "cleanup"}), onExit);
  Bytes installRecord(image.begin() + onExit - 47, image.begin() + onExit);  // 43 + "D", "", ""
  EXPECT_EQ(hex(installRecord, 0, 11), "00 00 00 05 00 00 00 07 00 00 00") << "data start and end of b";
}

TEST(MerlAsmProgram, RefusedSourceNamesItsPlaceAndWritesNoOutput) {
  struct Case {
    const char* what;
    std::string line;
    int column;
    const char* message;
  } cases[] = {
      {"unknown mnemonic", "frobnicate text=\"x\"", 1, "unknown mnemonic 'frobnicate'"},
      {"missing string", "  log", 3, "lacks its string 'text'"},
      {"value out of range", "log_control value=256 path=\"\"", 19, "out of range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    platform_testing::TempDir dir, work;
    writeFile(dir.file("bad.mas"), headerText(1) + "log text=\"ok\"\n" + c.line + "\n");
    int line = 1 + 1 + 1 + 1 + 1;  // header (3 lines), the good record, then this line
    ProgramRun run = runMerlAsm(work.path(), {dir.file("bad.mas"), "--image", dir.file("o.img"), "--install-file",
                                       dir.file("o.bin"), "--layout", dir.file("o.json")});
    EXPECT_NE(run.status, 0);
    std::string place = dir.file("bad.mas") + ":" + std::to_string(line) + ":" + std::to_string(c.column) + ": ";
    EXPECT_EQ(run.stderrText.rfind(place, 0), 0u) << run.stderrText;
    EXPECT_NE(run.stderrText.find(c.message), std::string::npos) << run.stderrText;
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) left.push_back(e.path().filename());
    EXPECT_EQ(left, std::vector<std::string>{"bad.mas"});
  }
}

TEST(MerlAsmProgram, OutputThatCannotBeWrittenLeavesNoOtherOutput) {
  platform_testing::TempDir dir;
  writeFile(dir.file("s.mas"), headerText(1));
  ProgramRun run = runMerlAsm(dir.path(), {"s.mas", "--image", "out.img", "--layout", "missing/out.json"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.stderrText.find("missing/out.json"), std::string::npos) << run.stderrText;
  EXPECT_FALSE(std::filesystem::exists(dir.file("out.img")));
}

}  // namespace
