// The runtime's message box: buttons and captions by the flags, the cancel
// confirmation, silent runs, the box before the message table, the layout and
// the icon, ConfirmCancel and the file-error message.
#include "ui/message_dlg.h"

#include <cstdint>
#include <string>
#include <vector>

#include "json_reader.h"
#include "runtime_test.h"
#include "ui/file_error_message.h"
#include "win/library.h"

namespace {

using merl_kit::JsonValue;

class MessageDlgTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override {
    // The runtime is linked in: its resources are the test program's (an earlier case may
    // have handed DllMain another module).
    DllMain(nullptr, win::DLL_PROCESS_ATTACH, nullptr);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    for (int k = 0; k < 45; ++k) texts_.push_back("M" + std::to_string(k));
    for (const std::string& t : texts_) table_.push_back(t.c_str());
  }
  // A run whose setup record has the message table (or none).
  void startRun(bool withTable, bool silent = false) {
    setup_ = {};
    setup_.messageTable = withTable ? table_.data() : nullptr;
    setup_.silentFlag = silent ? 1 : 0;
    scope_.reset();
    scope_ = std::make_unique<merl::RunScope>(&setup_);
  }
  void answers(const std::string& text) { machine().writeText(machine().stateDir() + "/answers.txt", text); }
  std::vector<JsonValue> events(const std::string& kind) {
    std::vector<JsonValue> out;
    for (JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
      if (line["ev"].text() == kind) out.push_back(line);
    return out;
  }
  static const JsonValue* control(const JsonValue& dialog, int id) {
    for (const JsonValue& c : dialog["controls"].items())
      if (c["id"].integer() == id) return &c;
    return nullptr;
  }
  // The shown buttons as "id:text" in order 1, 3, 2.
  static std::string buttons(const JsonValue& dialog) {
    std::string out;
    for (int id : {1, 3, 2}) {
      const JsonValue* c = control(dialog, id);
      if (c && (*c)["visible"].boolean()) out += (out.empty() ? "" : " ") + std::to_string(id) + ":" + (*c)["text"].text();
    }
    return out;
  }

  std::vector<std::string> texts_;
  std::vector<const char*> table_;
  merl::SetupRec setup_{};
  std::unique_ptr<merl::RunScope> scope_;
};

TEST_F(MessageDlgTest, ButtonsByFlags) {
  struct Case {
    merl::BYTE flags;
    const char* shown;
    bool close;
  } cases[] = {
      {0x00, "1:M27 2:M28", true},        {0x01, "1:M35 3:M36 2:M28", true}, {0x03, "1:M35 3:M36", true},
      {0x12, "1:M27", true},              {0x41, "1:M38 3:M39 2:M40", false}, {0x20, "1:M27 2:M28", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    startRun(true);
    answers("114 1\n");
    EXPECT_EQ(merl::MessageDlg(nullptr, "Text", "Title", c.flags), 1);
    auto dialogs = events("dialog");
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0]["title"].text(), "Title");
    EXPECT_EQ((*control(dialogs[0], 1005))["text"].text(), "Text");
    EXPECT_EQ(buttons(dialogs[0]), c.shown);
    EXPECT_EQ(dialogs[0]["close"].boolean(), c.close);
  }
}

TEST_F(MessageDlgTest, CancelIsConfirmedUnlessTheFlagsSayNot) {
  struct Case {
    merl::BYTE flags;
    const char* answers;
    int result;
    std::vector<std::string> titles;
  } cases[] = {
      {0x00, "114 2\n114 3\n114 2\n114 1\n", 2, {"Title", "M18", "Title", "M18"}},
      {0x00, "114 2\n114 3\n114 1\n", 1, {"Title", "M18", "Title"}},
      {0x41, "114 2\n", 2, {"Title"}},
      {0x80, "114 2\n", 2, {"Title"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    startRun(true);
    answers(c.answers);
    EXPECT_EQ(merl::MessageDlg(nullptr, "Text", "Title", c.flags), c.result);
    auto dialogs = events("dialog");
    std::vector<std::string> titles;
    for (const JsonValue& d : dialogs) titles.push_back(d["title"].text());
    EXPECT_EQ(titles, c.titles);
    if (dialogs.size() > 1) {
      EXPECT_EQ((*control(dialogs[1], 1005))["text"].text(), "M31");
      EXPECT_EQ(buttons(dialogs[1]), "1:M35 3:M36");
    }
  }
}

TEST_F(MessageDlgTest, SilentRunsAnswerFirstWithoutABox) {
  startRun(true, true);
  EXPECT_EQ(merl::MessageDlg(nullptr, "Text", "Title", 0x00), 1);
  EXPECT_TRUE(events("dialog").empty());
}

TEST_F(MessageDlgTest, BeforeTheTableAbortUsesItsOwnTexts) {
  startRun(false);
  answers("114 1\n114 2\n");
  merl::AbortMessage(std::string(300, 'e'));
  EXPECT_EQ(merl::lastErrorText(), std::string(255, 'e'));
  EXPECT_EQ(merl::MessageDlg(nullptr, "Text", "Title", 0x00), 2);
  auto dialogs = events("dialog");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[0]["title"].text(), "Installation Aborted!");
  EXPECT_EQ(buttons(dialogs[0]), "1:OK");
}

TEST_F(MessageDlgTest, AbortTakesTitleSeventeen) {
  startRun(true);
  answers("114 1\n");
  merl::AbortMessage("Cannot run");
  auto dialogs = events("dialog");
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0]["title"].text(), "M17");
  EXPECT_EQ(buttons(dialogs[0]), "1:M27");
}

TEST_F(MessageDlgTest, LayoutGrowsWithTheTextAndSpreadsTheButtons) {
  struct Box {
    int width, height, textLeft;
    std::vector<int> centres;  // of the shown buttons, in order 1, 3, 2
  };
  auto show = [&](const std::string& text, merl::BYTE flags) {
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    startRun(true);
    answers("114 1\n");
    merl::MessageDlg(nullptr, text, "Title", flags);
    auto dialogs = events("dialog");
    Box box{};
    if (dialogs.size() != 1) return box;
    const JsonValue& rect = dialogs[0]["rect"];
    box.width = static_cast<int>(rect[2].integer() - rect[0].integer());
    box.height = static_cast<int>(rect[3].integer() - rect[1].integer());
    box.textLeft = static_cast<int>((*control(dialogs[0], 1005))["rect"][0].integer());
    for (int id : {1, 3, 2}) {
      const JsonValue* c = control(dialogs[0], id);
      if (c && (*c)["visible"].boolean())
        box.centres.push_back(static_cast<int>(((*c)["rect"][0].integer() + (*c)["rect"][2].integer()) / 2));
    }
    return box;
  };
  Box small = show("Short", 0x00);
  std::string longText;
  while (longText.size() < 600) longText += "word ";
  longText += std::string(300, 'x');
  Box large = show(longText, 0x00);
  EXPECT_GT(large.width, small.width);
  EXPECT_GT(large.height, small.height);

  Box icon = show("Short", 0x10);
  EXPECT_EQ(icon.textLeft, small.textLeft + 24);
  EXPECT_EQ(icon.width, small.width + 24);

  // Centres at k parts of the client width; three buttons push the outer two 20 px out.
  Box two = show("Short", 0x00);
  ASSERT_EQ(two.centres.size(), 2u);
  int part = two.centres[0];
  EXPECT_NEAR(two.centres[1], 2 * part, 1);
  Box three = show("Short", 0x01);
  ASSERT_EQ(three.centres.size(), 3u);
  // Three buttons need a wider text, so this box is wider; the middle one sits at two parts.
  EXPECT_GT(three.width, two.width);
  int quarter = three.centres[1] / 2;
  EXPECT_NEAR(three.centres[0], quarter - 20, 1);
  EXPECT_NEAR(three.centres[1], 2 * quarter, 1);
  EXPECT_NEAR(three.centres[2], 3 * quarter + 20, 1);
}

TEST_F(MessageDlgTest, IconOfTheFlagsIsDrawnAtItsPlace) {
  struct Case {
    merl::BYTE flags;
    std::uintptr_t icon;  // the system icon's number; 0: none drawn
  } cases[] = {{0x04, 32516}, {0x08, 32515}, {0x0C, 32514}, {0x12, 32513}, {0x00, 0}, {0x14, 0}, {0x1C, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    startRun(true);
    answers("114 1\n");
    merl::MessageDlg(nullptr, "Text", "Title", c.flags);
    std::vector<const JsonValue*> drawn;
    auto gdi = events("gdi");
    for (const JsonValue& e : gdi)
      if (e["call"].text() == "DrawIcon") drawn.push_back(&e);
    if (c.icon == 0) {
      EXPECT_TRUE(drawn.empty());
      continue;
    }
    ASSERT_FALSE(drawn.empty());
    EXPECT_EQ((*drawn[0])["x"].integer(), 8);
    EXPECT_EQ((*drawn[0])["y"].integer(), 12);
    EXPECT_EQ(static_cast<std::uintptr_t>((*drawn[0])["icon"].integer()), c.icon);
  }
}

TEST_F(MessageDlgTest, ConfirmCancelAsksMessage31AndIsTrueOnTheFirstButton) {
  struct Case {
    bool table, silent;
    const char* answers;
    bool confirmed;
    std::size_t boxes;
  } cases[] = {
      {true, false, "114 1\n", true, 1},
      {true, false, "114 3\n", false, 1},
      {true, true, "", true, 0},
      {false, false, "", true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    startRun(c.table, c.silent);
    answers(c.answers);
    EXPECT_EQ(merl::ConfirmCancel(nullptr), c.confirmed);
    auto dialogs = events("dialog");
    ASSERT_EQ(dialogs.size(), c.boxes);
    if (c.boxes == 0) continue;
    EXPECT_EQ(dialogs[0]["title"].text(), "M18");
    EXPECT_EQ((*control(dialogs[0], 1005))["text"].text(), "M31");
    EXPECT_EQ(buttons(dialogs[0]), "1:M35 3:M36");
  }
}

TEST_F(MessageDlgTest, FileErrorMessageFormatsTheNameAndKeepsItAsTheLastError) {
  texts_[0] = "Cannot write %s";
  texts_[26] = "File error: %s%s";
  table_[0] = texts_[0].c_str();
  table_[26] = texts_[26].c_str();
  struct Case {
    bool table;
    const char* name;
    int kind;
    const char* text;
  } cases[] = {
      {true, "c:\\appdir\\..\\APPDIR\\new.txt", 1, "Cannot write c:\\appdir\\..\\APPDIR\\new.txt"},
      {true, "c:\\appdir\\..\\APPDIR\\new.txt", 0, "File error: C:\\AppDir\\new.txt%s"},
      {true, "c:\\appdir\\OLD.TXT", 0, "File error: C:\\AppDir\\old.txt%s"},
      {false, "a.txt", 1, "a.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    machine().makeFile("AppDir/old.txt", "x");
    startRun(c.table);
    answers("114 1\n");
    EXPECT_EQ(merl::FileErrorMessage(c.name, c.kind), 1);
    EXPECT_EQ(merl::lastErrorText(), c.text);
    auto dialogs = events("dialog");
    ASSERT_FALSE(dialogs.empty());
    EXPECT_EQ((*control(dialogs.back(), 1005))["text"].text(), c.text);
    EXPECT_EQ(dialogs.back()["title"].text(), c.table ? "M17" : "Installation Aborted!");
    EXPECT_EQ(buttons(dialogs.back()), c.table ? "1:M27" : "1:OK");
  }
}

}  // namespace
