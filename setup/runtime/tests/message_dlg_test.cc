// The runtime's message box: buttons and captions by the flags, the cancel
// confirmation, silent runs, the box before the message table, and the layout.
#include "ui/message_dlg.h"

#include <string>
#include <vector>

#include "json_reader.h"
#include "runtime_test.h"

namespace {

using merl_kit::JsonValue;

class MessageDlgTest : public merl_testing::RuntimeTest {
 protected:
  void SetUp() override {
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

}  // namespace
