// The DLGTEMPLATE parser: every field of a hand-written template, the
// builder's bytes read back, and refusals of templates cut at any byte, with
// control counts past the end, unterminated texts or the extended form.
#include "win/dialog_template.h"

#include <gtest/gtest.h>

#include <vector>

#include "win/dialog.h"

namespace {

using namespace win;

// Little-endian template bytes written by hand (independent of the builder).
class Bytes {
 public:
  Bytes& word(WORD w) {
    s_.push_back(static_cast<char>(w & 0xFF));
    s_.push_back(static_cast<char>(w >> 8));
    return *this;
  }
  Bytes& dword(DWORD d) { return word(static_cast<WORD>(d & 0xFFFF)).word(static_cast<WORD>(d >> 16)); }
  Bytes& text(const char* t) {
    for (; *t; ++t) word(static_cast<BYTE>(*t));
    return word(0);
  }
  Bytes& alignDword() {
    while (s_.size() % 4) s_.push_back(0);
    return *this;
  }
  std::string str() const { return s_; }

 private:
  std::string s_;
};

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

// A dialog "Setup" in MS Sans Serif 8 with a default button and a static of a
// registered class whose text is icon 101 and which carries 4 bytes of creation data.
std::string handWritten() {
  Bytes b;
  b.dword(kDialogStyle).dword(0).word(2).word(10).word(20).word(181).word(49);
  b.word(0).word(0).text("Setup").word(8).text("MS Sans Serif");
  b.alignDword().dword(WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON).dword(0).word(13).word(31).word(50).word(14).word(1);
  b.word(0xFFFF).word(kButtonClassOrdinal).text("OK").word(0);
  b.alignDword().dword(WS_CHILD | SS_ICON).dword(WS_EX_CLIENTEDGE).word(5).word(6).word(20).word(20).word(0xFFFF);
  b.text("MyIcon").word(0xFFFF).word(101).word(6).word(0xBEEF).word(0x1234);
  return b.str();
}

TEST(DialogTemplateTest, ReadsEveryFieldOfAHandWrittenTemplate) {
  std::string bytes = handWritten();
  std::string error;
  auto t = parseDialogTemplate(bytes, &error);
  ASSERT_TRUE(t) << error;
  EXPECT_EQ(t->style, kDialogStyle);
  EXPECT_EQ(t->x, 10);
  EXPECT_EQ(t->y, 20);
  EXPECT_EQ(t->cx, 181);
  EXPECT_EQ(t->cy, 49);
  EXPECT_TRUE(t->menu.empty());
  EXPECT_TRUE(t->windowClass.empty());
  EXPECT_EQ(t->title, "Setup");
  EXPECT_TRUE(t->hasFont);
  EXPECT_EQ(t->pointSize, 8);
  EXPECT_EQ(t->faceName, "MS Sans Serif");
  EXPECT_EQ(t->size, bytes.size());
  ASSERT_EQ(t->items.size(), 2u);
  const auto& ok = t->items[0];
  EXPECT_EQ(ok.style, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON);
  EXPECT_EQ(ok.id, 1);
  EXPECT_TRUE(ok.windowClass.isOrdinal);
  EXPECT_EQ(classNameOfOrdinal(ok.windowClass.ordinal), "Button");
  EXPECT_EQ(ok.title.text, "OK");
  EXPECT_TRUE(ok.creationData.empty());
  const auto& icon = t->items[1];
  EXPECT_EQ(icon.exStyle, WS_EX_CLIENTEDGE);
  EXPECT_EQ(icon.id, 0xFFFF);
  EXPECT_EQ(icon.windowClass.text, "MyIcon");
  EXPECT_TRUE(icon.title.isOrdinal);
  EXPECT_EQ(icon.title.ordinal, 101);
  EXPECT_EQ(icon.creationData, std::string("\xEF\xBE\x34\x12", 4));
}

TEST(DialogTemplateTest, BuilderBytesReadBackAsBuilt) {
  std::string bytes = DialogTemplateBuilder(WS_POPUP | WS_VISIBLE, 1, 2, 30, 40)
                          .caption("Caf\xe9")
                          .control(kEditClassOrdinal, "C:\\X", 1000, WS_CHILD | WS_TABSTOP, 4, 5, 60, 12)
                          .control("Custom", "", 7, WS_CHILD, 0, 0, 1, 1, WS_EX_STATICEDGE)
                          .bytes();
  std::string error;
  auto t = parseDialogTemplate(bytes, &error);
  ASSERT_TRUE(t) << error;
  EXPECT_FALSE(t->hasFont);
  EXPECT_EQ(t->title, "Caf\xe9");
  ASSERT_EQ(t->items.size(), 2u);
  EXPECT_EQ(t->items[0].title.text, "C:\\X");
  EXPECT_EQ(t->items[0].cx, 60);
  EXPECT_EQ(t->items[1].windowClass.text, "Custom");
  EXPECT_EQ(t->items[1].exStyle, WS_EX_STATICEDGE);
  EXPECT_EQ(t->size, bytes.size());
}

TEST(DialogTemplateTest, RefusesATemplateCutAtAnyByte) {
  for (const std::string& full : {handWritten(), DialogTemplateBuilder(WS_POPUP, 0, 0, 1, 1).font(8, "A").bytes()}) {
    for (std::size_t n = 0; n < full.size(); ++n) {
      std::vector<char> cut(full.begin(),
                            full.begin() + static_cast<std::ptrdiff_t>(n));  // exactly n bytes on the heap
      std::string error;
      EXPECT_FALSE(parseDialogTemplate(std::string_view(cut.data(), n), &error)) << "cut at " << n;
      EXPECT_EQ(error.rfind("dialog template: ", 0), 0u) << "cut at " << n;
    }
  }
}

TEST(DialogTemplateTest, RefusesCountsAndTextsPastTheEnd) {
  std::string tooMany = handWritten();
  tooMany[8] = 3;  // cdit 3 with two controls present
  std::string huge = handWritten();
  huge[8] = static_cast<char>(0xFF);
  huge[9] = static_cast<char>(0xFF);
  std::string unterminated =
      Bytes().dword(WS_POPUP).dword(0).word(0).word(0).word(0).word(1).word(1).word(0).word(0).word('A').str();
  std::string extended = Bytes().word(1).word(0xFFFF).dword(0).dword(0).dword(0).word(0).str();
  std::string sizeOne = Bytes()
                            .dword(WS_POPUP)
                            .dword(0)
                            .word(1)
                            .word(0)
                            .word(0)
                            .word(1)
                            .word(1)
                            .word(0)
                            .word(0)
                            .word(0)
                            .alignDword()
                            .dword(WS_CHILD)
                            .dword(0)
                            .word(0)
                            .word(0)
                            .word(1)
                            .word(1)
                            .word(1)
                            .word(0xFFFF)
                            .word(kButtonClassOrdinal)
                            .word(0)
                            .word(1)
                            .str();
  struct Case {
    std::string bytes;
    const char* what;
  } cases[] = {{tooMany, "control 3"},
               {huge, "65535 controls cannot fit"},
               {unterminated, "the caption"},
               {extended, "extended form"},
               {sizeOne, "creation data size is 1"}};
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(parseDialogTemplate(c.bytes, &error)) << c.what;
    EXPECT_NE(error.find(c.what), std::string::npos) << error;
  }
}

}  // namespace
