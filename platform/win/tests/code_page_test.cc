// Code-page text: lead bytes of the double-byte pages, character stepping,
// the OEM table both ways, case mapping and the one collation.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "../src/oem_table.h"
#include "win/system.h"
#include "win_testing/test_machine.h"

namespace {

using win_testing::TestMachine;

struct LeadCase {
  win::UINT codePage;
  win::BYTE byte;
  bool lead;
};

TEST(CodePageTest, LeadBytesFollowTheCodePage) {
  const LeadCase cases[] = {
      {1252, 0x81, false}, {1252, 0xE0, false}, {932, 0x80, false}, {932, 0x81, true},  {932, 0x9F, true},
      {932, 0xA0, false},  {932, 0xDF, false},  {932, 0xE0, true},  {932, 0xFC, true},  {932, 0xFD, false},
      {936, 0x81, true},   {936, 0xFE, true},   {936, 0xFF, false}, {949, 0xA1, true},  {950, 0x80, false},
      {950, 0xFE, true},   {1250, 0xC8, false},
  };
  for (const auto& c : cases) EXPECT_EQ(win::IsDBCSLeadByteEx(c.codePage, c.byte) != 0, c.lead) << c.codePage << " " << int(c.byte);
}

TEST(CodePageTest, CharNextAndCharPrevStepOverDoubleByteCharacters) {
  TestMachine m("[system]\ncodepage = 932\n");
  const char text[] = "a\x82\xA0" "b\x83";  // a, one double-byte character, b, a lead byte before the NUL
  EXPECT_EQ(win::CharNext(text), text + 1);
  EXPECT_EQ(win::CharNext(text + 1), text + 3);
  EXPECT_EQ(win::CharNext(text + 4), text + 5);  // a lead byte without a trail steps one
  EXPECT_EQ(win::CharNext(text + 5), text + 5);
  EXPECT_EQ(win::CharPrev(text, text + 4), text + 3);
  EXPECT_EQ(win::CharPrev(text, text + 3), text + 1);
  EXPECT_EQ(win::CharPrev(text, text + 2), text + 1);
  EXPECT_EQ(win::CharPrev(text, text), text);
  EXPECT_TRUE(win::IsDBCSLeadByte(0x82));
}

TEST(CodePageTest, OemTableIsExactBothWaysWhereBothPagesHaveTheCharacter) {
  int exact = 0;
  for (int oem = 0x80; oem < 0x100; ++oem) {
    unsigned char ansi = win::kOemToAnsi[oem - 0x80];
    if (ansi >= 0x80 && win::kAnsiToOem[ansi - 0x80] == oem) ++exact;
  }
  EXPECT_EQ(exact, 54);
  TestMachine m;
  char text[] = "K\x94ln \x8E\xE1 \xC9\xCD\xBB";  // "Köln Äß" and a double-line box corner
  ASSERT_TRUE(win::OemToChar(text, text));
  EXPECT_STREQ(text, "K\xF6ln \xC4\xDF +=+");
  char back[32];
  ASSERT_TRUE(win::CharToOem("\xC0la \xE9t\xE9 \x80", back));
  EXPECT_STREQ(back, "Ala \x82t\x82 E");
  char buffer[4] = {'\x81', '\0', '\x82', 'x'};
  ASSERT_TRUE(win::OemToCharBuff(buffer, buffer, 4));
  EXPECT_EQ(std::string(buffer, 4), std::string("\xFC\0\xE9x", 4));
}

TEST(CodePageTest, DoubleByteCodePagesConvertNothing) {
  TestMachine m("[system]\ncodepage = 936\n");
  char out[8];
  ASSERT_TRUE(win::OemToChar("\xB0\xA1z", out));
  EXPECT_STREQ(out, "\xB0\xA1z");
  char upper[] = "a\x82\x61z";  // the trail byte 0x61 is no 'a'
  win::CharUpper(upper);
  EXPECT_STREQ(upper, "A\x82\x61Z");
}

TEST(CodePageTest, CaseMappingCoversTheAccentedLetters) {
  TestMachine m;
  char text[] = "abz \xE9\xFF\xDF\xF7\x9A 09";
  EXPECT_EQ(win::CharUpper(text), text);
  EXPECT_STREQ(text, "ABZ \xC9\x9F\xDF\xF7\x8A 09");
  win::CharLower(text);
  EXPECT_STREQ(text, "abz \xE9\xFF\xDF\xF7\x9A 09");
  EXPECT_EQ(win::handleValue(win::CharUpper(reinterpret_cast<win::LPSTR>(static_cast<win::UINT_PTR>('q')))), 'Q');
  EXPECT_EQ(win::handleValue(win::CharLower(reinterpret_cast<win::LPSTR>(static_cast<win::UINT_PTR>(0xC9)))), 0xE9u);
}

struct CompareCase {
  const char* a;
  const char* b;
  int cmp;
  int cmpi;
};

TEST(CodePageTest, OneCollationForLstrcmpAndLstrcmpi) {
  TestMachine m;
  const CompareCase cases[] = {
      {"abc", "abc", 0, 0},  {"a", "B", -1, -1},    {"a", "A", -1, 0},     {"A", "a", 1, 0},
      {"Ab", "aC", -1, -1},  {"aB", "Ab", -1, 0},   {"ab", "abc", -1, -1}, {"_a", "a", -1, -1},
      {"z", "_", 1, 1},      {"9", "a", -1, -1},    {"Z", "\xE9", -1, -1}, {"\xE9", "\xC9", -1, 0},
      {"", "", 0, 0},        {nullptr, "", 0, 0},   {"a", nullptr, 1, 1},  {"SETUP.EXE", "setup.exe", 1, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(win::lstrcmp(c.a, c.b), c.cmp) << (c.a ? c.a : "NULL") << " / " << (c.b ? c.b : "NULL");
    EXPECT_EQ(win::lstrcmpi(c.a, c.b), c.cmpi) << (c.a ? c.a : "NULL") << " / " << (c.b ? c.b : "NULL");
  }
}

TEST(CodePageTest, LstrcpynCutsAndEndsTheCopy) {
  char buffer[8] = "xxxxxxx";
  EXPECT_EQ(win::lstrcpyn(buffer, "abcdef", 4), buffer);
  EXPECT_STREQ(buffer, "abc");
  win::lstrcpyn(buffer, "ab", 8);
  EXPECT_STREQ(buffer, "ab");
  win::lstrcpyn(buffer, "zzz", 0);
  EXPECT_STREQ(buffer, "ab");
  EXPECT_EQ(win::lstrlen(buffer), 2);
  EXPECT_EQ(win::lstrlen(nullptr), 0);
}

}  // namespace
