// Stepping through assembled images: NextRecord over every valid opcode lands
// where the assembler put the next record, at one and at two languages; bad
// opcodes and records cut by the image's end are invalid, in bounded steps.
#include "script/script_image.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "assembler.h"

namespace {

using merl::DWORD;
using merl::ScriptImage;

std::string headerText(int languages) {
  std::string text = "header {\n";
  for (int i = 0; i < languages; ++i)
    text += "  language { name=\"L" + std::to_string(i) + "\" title=\"T\"" + (languages > 1 ? " system=\"S\"" : "") + " }\n";
  return text + "}\n";
}

// An assembled image with the end mark written at offset "length", and its labels.
struct Assembled {
  std::vector<merl::BYTE> bytes;
  merl_asm::Layout layout;
  ScriptImage image() const { return ScriptImage(bytes.data(), static_cast<DWORD>(bytes.size() - 1)); }
  DWORD label(const std::string& name) const {
    for (const auto& l : layout.labels)
      if (l.name == name) return l.offset;
    ADD_FAILURE() << "no label " << name;
    return 0;
  }
};

Assembled assemble(int languages, const std::string& body) {
  merl_asm::AssemblyResult r = merl_asm::assembleSource(headerText(languages) + body, "test.mas", "");
  EXPECT_TRUE(r.ok) << r.error;
  Assembled a;
  a.bytes.assign(r.assembly.image.begin(), r.assembly.image.end());
  a.bytes.push_back(merl::kEndMarkOpcode);
  a.layout = r.assembly.layout;
  return a;
}

// One record of every valid opcode, each after a label, strings of differing lengths.
const char* const kEveryOpcode = R"(
r0: install flags_a=1 dest="C:\\APP\\A.EXE" desc="Program" hook=""
r2: nop note="n" text1="one" text2="" text3="three" text4="4"
r3: msgbox flags=1 title="Title" text="Text?"
r4: progman command="[CreateGroup(Demo)]"
r5: ini file="DEMO.INI" section="S" entries="a=1"
r6: bitmap flags=8 x=1 y=2
r7: exec program="P.EXE" arguments="" directory="C:\\"
r8: end
r9: call flags=8 library="" function="f11" params="VAR"
r10: registry flags=2 type=0 key="Software\\Acme" data="1" value_name="V"
r11: delete pattern="C:\\TMP\\*.*"
r12: if variable="V" text="1"
r13: else
r15: progman_open
r16: progman_close
r17: mkdir path="C:\\APP"
r18: install_source dest="D" desc="d" hook="h" source="S"
r20: dialog start=1 end=2 size=3 variable="V" value="x"
r21: sysinfo code=1 variable="V" parameter="p"
r22: tempfile variable="T"
r23: sound flags=1 x=-1 y=5 file="A.WAV"
r24: exit
r25: odbc_driver library=1 manager_variable="M" driver_variable="D" description="desc"
r26: odbc_source flags=1 driver="drv" attributes="a=b"
r27: remark
r28: log text="Hello\r\n"
r29: rename old="A" new="B"
r30: log_control value=2 path="C:\\LOG"
r63: endmark
)";

TEST(ScriptImage, NextRecordLandsOnEachFollowingRecordAtOneAndTwoLanguages) {
  const std::vector<std::string> order = {"r0",  "r2",  "r3",  "r4",  "r5",  "r6",  "r7",  "r8",  "r9",  "r10",
                                          "r11", "r12", "r13", "r15", "r16", "r17", "r18", "r20", "r21", "r22",
                                          "r23", "r24", "r25", "r26", "r27", "r28", "r29", "r30", "r63"};
  for (int languages : {1, 2}) {
    Assembled a = assemble(languages, kEveryOpcode);
    ScriptImage image = a.image();
    for (std::size_t i = 0; i < order.size(); ++i) {
      DWORD position = a.label(order[i]);
      DWORD next = i + 1 < order.size() ? a.label(order[i + 1]) : a.layout.scriptLength;
      ASSERT_TRUE(merl::NextRecord(image, position, languages)) << order[i] << " at n = " << languages;
      EXPECT_EQ(position, next) << order[i] << " at n = " << languages;
    }
  }
}

TEST(ScriptImage, BitmapRecordAtTwoLanguagesTakes31Bytes) {
  Assembled a = assemble(2, "b: bitmap flags=1\n");
  DWORD position = a.label("b");
  ASSERT_TRUE(merl::NextRecord(a.image(), position, 2));
  EXPECT_EQ(position - a.label("b"), 31u);
}

struct MalformedCase {
  const char* name;
  const char* body;  // after the label "bad"
};

TEST(ScriptImage, InvalidRecordsStopAWalkInBoundedSteps) {
  const MalformedCase cases[] = {
      {"opcode 1", "raw 1 0 0 0"},
      {"opcode 14", "raw 14 0 0 0"},
      {"opcode 19", "raw 19 0 0 0"},
      {"opcode 31", "raw 31 0 0 0"},
      {"opcode 40", "raw 40 0 0 0"},
      {"opcode 0xF0", "raw 0xF0 0 0 0"},
      {"string without NUL", "raw 28 \"no end\""},
      {"second string without NUL", "raw 29 \"old\" 0 \"new\""},
      {"fixed part cut", "raw 0 1 2 3"},
      {"bitmap languages cut", "raw 6 hex(\"00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\")"},
  };
  for (const auto& c : cases) {
    Assembled a = assemble(2, std::string("start: if variable=\"V\" text=\"1\"\nremark\nbad: ") + c.body + "\n");
    ScriptImage image = a.image();
    DWORD position = a.label("start");
    int steps = 0;
    while (steps < 10 && image.opcodeAt(position) != merl::kEndMarkOpcode && merl::NextRecord(image, position, 2))
      ++steps;
    EXPECT_EQ(position, a.label("bad")) << c.name;
    EXPECT_EQ(steps, 2) << c.name;
  }
}

TEST(ScriptImage, EndMarkAtTheImageEndCannotBeSteppedOver) {
  Assembled a = assemble(1, "last: remark\n");
  ScriptImage image = a.image();
  DWORD position = a.label("last");
  ASSERT_TRUE(merl::NextRecord(image, position, 1));
  ASSERT_EQ(position, image.length());
  EXPECT_EQ(image.opcodeAt(position), merl::kEndMarkOpcode);
  EXPECT_FALSE(merl::NextRecord(image, position, 1));
  EXPECT_EQ(position, image.length());
  DWORD past = image.length() + 1;
  EXPECT_FALSE(merl::NextRecord(image, past, 1));
}

TEST(ScriptImage, StringWithoutNulIsCutAtTheImageEndAndLaterStringsAreEmpty) {
  Assembled a = assemble(1, "s: raw \"tail\"\n");
  ScriptImage image = a.image();
  DWORD position = a.label("s");
  EXPECT_EQ(merl::NextScriptString(image, position), "tail?");
  EXPECT_TRUE(image.ranOff(position));
  EXPECT_EQ(merl::NextScriptString(image, position), "");
  EXPECT_EQ(position, image.length() + 1);
}

TEST(ScriptImage, SkipToLanguageReachesTheLanguagesGroup) {
  Assembled a = assemble(3, "m: msgbox title=[\"t0\", \"t1\", \"t2\"] text=[\"x0\", \"x1\", \"x2\"]\n");
  ScriptImage image = a.image();
  for (int language = 0; language < 3; ++language) {
    DWORD position = a.label("m") + merl::kRecordSize[3];
    ASSERT_TRUE(merl::SkipToLanguage(image, position, 2, language));
    EXPECT_EQ(merl::NextScriptString(image, position), "t" + std::to_string(language));
    EXPECT_EQ(merl::NextScriptString(image, position), "x" + std::to_string(language));
  }
  DWORD position = a.label("m") + merl::kRecordSize[3];
  EXPECT_FALSE(merl::SkipToLanguage(image, position, 2, 4));
}

TEST(ScriptImage, EmptyImageReadsNothing) {
  ScriptImage image(nullptr, 0);
  DWORD position = 0;
  EXPECT_TRUE(image.ranOff(0));
  EXPECT_FALSE(merl::NextRecord(image, position, 1));
  EXPECT_EQ(merl::NextScriptString(image, position), "");
}

}  // namespace
