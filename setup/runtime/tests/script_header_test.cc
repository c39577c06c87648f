// The header reader over assembled images: the chosen language's title,
// messages and first record, the automatic and asked language choice, the
// manual-mode path prompts, malformed headers refused as "Internal Error", a
// second read in one run, and the interpreter starting where the header ends.
#include "script/script_header.h"

#include <string>
#include <vector>

#include "assembler.h"
#include "interp/cursor.h"
#include "interp/run_script.h"
#include "platform/files.h"
#include "runtime_test.h"
#include "script/script_error.h"
#include "script/script_image.h"
#include "script/variables.h"
#include "system/platform_flags.h"
#include "ui/message_box_dlg.h"
#include "ui/message_dlg.h"
#include "win/profile.h"
#include "win/registry.h"
#include "win/window.h"

namespace {

using merl::DWORD;

constexpr char kUiIni[] = "[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n";

std::vector<std::string> reports;
void captureReport(const char* text) { reports.emplace_back(text); }

// A header of n languages: language i has name "N<i>", system "S<i>", title "T<i>" and
// message k "L<i>m<k>"; extra header fields, then the body (its first record labelled "first").
std::string source(int languages, const std::string& fields = "", const std::string& body = "first: remark\n") {
  std::string text = "header {\n" + fields + "\n";
  if (languages > 1) text += "prompt = \"Pick one\"\n";
  for (int i = 0; i < languages; ++i) {
    std::string n = std::to_string(i);
    text += "language { name=\"N" + n + "\" title=\"T" + n + "\"";
    if (languages > 1) text += " system=\"S" + n + "\"";
    for (int k = 0; k < merl::kScriptMessageCount; ++k)
      text += " m" + std::to_string(k) + "=\"L" + n + "m" + std::to_string(k) + "\"";
    text += " }\n";
  }
  return text + "}\n" + body;
}

class ScriptHeaderTest : public merl_testing::RuntimeTest {
 protected:
  ScriptHeaderTest() {
    useMachine(kUiIni);
    answers("");
    reports.clear();
    merl::reportScriptError = captureReport;
  }
  ~ScriptHeaderTest() override { merl::reportScriptError = previous_; }

  void answers(const std::string& text) {
    win_testing::TestMachine::writeText(machine().stateDir() + "/answers.txt", text);
  }
  std::string transcript() {
    std::string text;
    platform::readWholeFile(machine().stateDir() + "/t.jsonl", text);
    return text;
  }
  // Assembles text into the current run's image, the end mark at "length".
  void load(const std::string& text) {
    merl_asm::AssemblyResult r = merl_asm::assembleSource(text, "test.mas", "");
    ASSERT_TRUE(r.ok) << r.error;
    image_.assign(r.assembly.image.begin(), r.assembly.image.end());
    image_.push_back(merl::kEndMarkOpcode);
    layout_ = r.assembly.layout;
    merl::run().scriptImage = image_.data();
    merl::run().scriptLength = static_cast<DWORD>(image_.size() - 1);
  }
  DWORD label(const std::string& name) const {
    for (const auto& l : layout_.labels)
      if (l.name == name) return l.offset;
    ADD_FAILURE() << "no label " << name;
    return 0;
  }
  std::string var(const char* name) {
    char value[512];
    merl::GetVar(name, value, sizeof value);
    return value;
  }
  merl::ScriptErrorReporter previousReporter() const { return previous_; }
  std::size_t dialogsShown() {
    std::string t = transcript();
    std::size_t n = 0;
    for (auto at = t.find("\"ev\":\"dialog\""); at != std::string::npos; at = t.find("\"ev\":\"dialog\"", at + 1)) ++n;
    return n;
  }

 private:
  merl::ScriptErrorReporter previous_ = merl::reportScriptError;
  std::vector<merl::BYTE> image_;
  merl_asm::Layout layout_;
};

TEST_F(ScriptHeaderTest, ChosenLanguageGivesTitleMessagesLanguagesAndFirstRecord) {
  load(source(3));
  answers("107 1 select 1008=1\n");
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  merl::ScriptHeader& h = merl::scriptHeader();
  EXPECT_EQ(h.language, 1);
  EXPECT_EQ(h.title, "T1");
  EXPECT_STREQ(merl::scriptMessage(7), "L1m7");
  EXPECT_STREQ(merl::scriptMessage(44), "L1m44");
  EXPECT_EQ(var("LANGUAGES"), "N1");
  EXPECT_EQ(h.position, label("first"));
  EXPECT_EQ(h.recordAreaLength, run().scriptLength - label("first"));
  EXPECT_EQ(h.internalParams.messageTable, h.messageTable.data());
  EXPECT_EQ(h.internalParams.size, merl::kActionParamsSize);
  EXPECT_EQ(h.externalParams.size, merl::kExternalActionParamsSize);
  EXPECT_EQ(h.externalParams.message17, h.messageTable[17]);
  EXPECT_EQ(dialogsShown(), 1u);
  EXPECT_NE(transcript().find("Pick one"), std::string::npos);
}

TEST_F(ScriptHeaderTest, RunScriptStartsAtTheFirstRecordWithTheHeadersLanguages) {
  // Stepping over the first record needs the language count; the temporary file variable
  // after it shows the run got there.
  load(source(3, "",
              "first: nop note=\"n\" text1=[\"A0\", \"A1\", \"A2\"] text2=\"b\" text3=\"c\" text4=\"d\"\n"
              "tempfile variable=\"TMPF\"\nexit\n"));
  answers("107 1 select 1008=1\n");
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  const merl::ScriptCursor& c = merl::cursor();
  EXPECT_EQ(c.position, label("first"));
  EXPECT_EQ(c.languages, 3);
  EXPECT_EQ(c.language, 1);
  EXPECT_EQ(merl::RunScript(), merl::kExit);
  EXPECT_NE(var("TMPF"), "");
}

TEST_F(ScriptHeaderTest, SecondReadStartsFromNothing) {
  merl::SetupRec setup{};
  merl::RunScope scope(&setup);
  load(source(3));
  answers("107 1 select 1008=2\n");
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  ASSERT_EQ(merl::scriptHeader().language, 2);

  load(source(1, "languages = \"Only\""));
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  merl::ScriptHeader& h = merl::scriptHeader();
  EXPECT_EQ(h.languageCount, 1);
  EXPECT_EQ(h.language, 0);
  EXPECT_EQ(h.title, "T0");
  EXPECT_STREQ(merl::scriptMessage(7), "L0m7");
  EXPECT_EQ(var("LANGUAGES"), "Only");
  EXPECT_EQ(merl::cursor().position, label("first"));
  EXPECT_EQ(merl::cursor().languages, 1);
  EXPECT_EQ(merl::cursor().language, 0);

  // A third read of a broken header leaves no messages of the second behind.
  load("raw 0 0 0 0 0 0 0 0 0 0\n");
  EXPECT_EQ(merl::ReadScriptHeader(), merl::kAbort);
  EXPECT_EQ(merl::scriptMessage(7), nullptr);
  EXPECT_EQ(setup.messageTable, nullptr);
  EXPECT_EQ(merl::scriptHeader().languageCount, 0);
}

TEST_F(ScriptHeaderTest, TitleGoesToTheMainWindowAndDisplayNamesAreCutTo63) {
  merl::SetupRec setup{};
  setup.mainWindow = win::CreateWindowEx(0, "Static", "Setup", win::WS_POPUP, 0, 0, 640, 480, nullptr, nullptr,
                                         nullptr, nullptr);
  ASSERT_NE(setup.mainWindow, nullptr);
  merl::RunScope scope(&setup);
  std::string text = source(2);
  std::string longName(80, 'n');
  text.replace(text.find("name=\"N1\""), 9, "name=\"" + longName + "\"");
  load(text);
  answers("107 1 select 1008=1\n");
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  char title[64] = {};
  win::GetWindowText(setup.mainWindow, title, sizeof title);
  EXPECT_STREQ(title, "T1");
  EXPECT_EQ(var("LANGUAGES"), longName.substr(0, 63));
  EXPECT_EQ(setup.messageTable, merl::scriptHeader().messageTable.data());
  win::DestroyWindow(setup.mainWindow);
}

TEST_F(ScriptHeaderTest, OneLanguageShowsNoDialogAndTakesTheHeaderString) {
  load(source(1, "languages = \"English only\"\nflags = 0xE3"));
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  merl::ScriptHeader& h = merl::scriptHeader();
  EXPECT_EQ(var("LANGUAGES"), "English only");
  EXPECT_EQ(h.title, "T0");
  EXPECT_EQ(h.position, label("first"));
  EXPECT_EQ(h.dialogPosition, 3);
  EXPECT_TRUE(h.progressPause);
  EXPECT_TRUE(h.noLog);
  EXPECT_TRUE(h.placementMode);
  EXPECT_EQ(var("DISK_NUMBER"), "1");
  EXPECT_EQ(dialogsShown(), 0u);
}

TEST_F(ScriptHeaderTest, DefaultLanguageMatchIsTakenUnlessTestRunOrAlwaysAsk) {
  struct Case {
    const char* name;
    merl::BYTE runState;
    DWORD options;
    bool asked;
  };
  const Case cases[] = {
      {"normal", merl::kStateNormal, 0, false},
      {"test run", merl::kStateTest, 0, true},
      {"always ask", merl::kStateNormal, 0x100000, true},
  };
  for (const Case& c : cases) {
    useMachine(kUiIni);
    answers(c.asked ? "107 1\n" : "");
    win::WriteProfileString("Intl", "sLanguage", "s1");
    merl::SetupRec setup{};
    setup.optionWord = c.options;
    merl::RunScope scope(&setup);
    scope.run().runState = c.runState;
    load(source(2));
    ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn) << c.name;
    EXPECT_EQ(merl::scriptHeader().language, 1) << c.name;
    EXPECT_EQ(var("LANGUAGES"), "N1") << c.name;
    EXPECT_EQ(dialogsShown(), c.asked ? 1u : 0u) << c.name;
    if (c.asked) {
      EXPECT_NE(transcript().find("\"selected\":[1]"), std::string::npos) << transcript();
    }
  }
}

TEST_F(ScriptHeaderTest, HeaderFontBecomesTheMessageBoxFont) {
  struct Case {
    const char* fields;
    const char* face;
    int size;
    int charSet;
  } cases[] = {
      {"font_face = \"Arial\"\nfont_size = 10\nfont_charset = 238", "Arial", 10, 238},
      {"font_charset = 1", "MS Sans Serif", 8, 1},
  };
  for (const Case& c : cases) {
    merl::RunScope scope;
    load(source(1, c.fields));
    ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn) << c.fields;
    const merl::DialogFontSettings& font = merl::run().state<merl::DialogFontSettings>();
    EXPECT_EQ(font.face, c.face);
    EXPECT_EQ(font.pointSize, c.size);
    EXPECT_EQ(font.charSet, c.charSet);
  }
}

TEST_F(ScriptHeaderTest, NtUserSettingReplacesTheProfileDefault) {
  win::WriteProfileString("Intl", "sLanguage", "S1");
  EXPECT_EQ(merl::defaultLanguageName(), "S1");
  win::UniqueKey key;
  ASSERT_EQ(win::RegCreateKeyEx(win::HKEY_CURRENT_USER, "Control Panel\\International", 0, nullptr, 0,
                                win::KEY_SET_VALUE, nullptr, key.put(), nullptr),
            win::ERROR_SUCCESS);
  const char value[] = "S0";
  ASSERT_EQ(win::RegSetValueEx(key.get(), "sLanguage", 0, win::REG_SZ, reinterpret_cast<const win::BYTE*>(value),
                               sizeof value),
            win::ERROR_SUCCESS);
  merl::InitPlatformFlags();
  EXPECT_EQ(merl::defaultLanguageName(), "S0");
}

TEST_F(ScriptHeaderTest, CancelledLanguageChoiceReturnsAbort) {
  load(source(2));
  answers("107 2\n");
  EXPECT_EQ(merl::ReadScriptHeader(), merl::kAbort);
  EXPECT_TRUE(reports.empty());
}

TEST_F(ScriptHeaderTest, LanguageListAnswers) {
  struct Case {
    const char* lines;
    int result;
    int language;
  };
  const Case cases[] = {
      {"107 2 select 1008=1\n", merl::kAbort, -1},
      {"107 2 select 1008=2 notify 1008=2\n", merl::kGoOn, 2},  // a double-click is OK
      {"107 1\n107 1 select 1008=0\n", merl::kGoOn, 0},        // OK without a choice stays open
  };
  for (const Case& c : cases) {
    useMachine(kUiIni);
    answers(c.lines);
    load(source(3));
    EXPECT_EQ(merl::ReadScriptHeader(), c.result) << c.lines;
    if (c.result == merl::kGoOn) {
      EXPECT_EQ(merl::scriptHeader().language, c.language) << c.lines;
      EXPECT_EQ(merl::scriptHeader().title, "T" + std::to_string(c.language)) << c.lines;
    }
  }
}

TEST_F(ScriptHeaderTest, MalformedHeadersAreInternalErrors) {
  const std::string zeros17 = "raw 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0\n";
  struct Case {
    const char* name;
    std::string text;
  };
  const Case cases[] = {
      {"no language", zeros17 + "raw 0 0 0 0 8 0 0 0 0 0 0\n"},
      {"cut before the strings", "raw 0 0 0 0 0 0 0 0 0 0\n"},
      {"missing NULs", zeros17 + "raw \"abc\"\n"},
      {"cut mid-string", source(2) + "truncate 45\n"},
      {"cut in the message blocks", source(3) + "truncate 400\n"},
  };
  for (const Case& c : cases) {
    reports.clear();
    load(c.text);
    answers("107 1 select 1008=0\n");
    EXPECT_EQ(merl::ReadScriptHeader(), merl::kAbort) << c.name;
    ASSERT_EQ(reports.size(), 1u) << c.name;
    EXPECT_EQ(reports[0], merl::kInternalErrorText) << c.name;
    EXPECT_EQ(merl::scriptMessage(7), nullptr) << c.name;
  }
}

TEST_F(ScriptHeaderTest, MalformedHeaderShowsTheAbortMessageAndKeepsItAsTheLastError) {
  merl::reportScriptError = previousReporter();
  load("raw 0 0 0 0 0 0 0 0 0 0\n");
  answers("114 1\n");
  EXPECT_EQ(merl::ReadScriptHeader(), merl::kAbort);
  EXPECT_EQ(merl::lastErrorText(), merl::kInternalErrorText);
  std::string t = transcript();
  EXPECT_NE(t.find("\"title\":\"Installation Aborted!\""), std::string::npos) << t;
  EXPECT_NE(t.find("\"text\":\"Internal Error\""), std::string::npos) << t;
}

TEST_F(ScriptHeaderTest, LongHeaderStringsAreCutToTheirBuffers) {
  std::string long400(400, 'x');
  load(source(1, "font_face = \"" + long400 + "\"\nlog_path = \"" + long400 + "\"\npiece_base = \"" + long400 +
                     "\"\nreserved = \"" + long400 + "\"\nlanguages = \"" + long400 + "\""));
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  merl::ScriptHeader& h = merl::scriptHeader();
  EXPECT_EQ(h.faceName.size(), 31u);
  EXPECT_EQ(h.reserved.size(), 31u);
  EXPECT_EQ(h.logPath.size(), 255u);
  EXPECT_EQ(h.pieceBase.size(), 255u);
  EXPECT_EQ(var("LANGUAGES").size(), 255u);
  EXPECT_EQ(h.position, label("first"));
}

TEST_F(ScriptHeaderTest, InvalidRecordReportUsesMessage7OnceTheTableExists) {
  EXPECT_EQ(merl::invalidRecord(), merl::kAbort);
  load(source(1));
  ASSERT_EQ(merl::ReadScriptHeader(), merl::kGoOn);
  EXPECT_EQ(merl::invalidRecord(), merl::kAbort);
  EXPECT_EQ(reports, (std::vector<std::string>{"Internal Error", "L0m7"}));
}

class ManualModeTest : public ScriptHeaderTest {
 protected:
  int readManual(const std::string& answerLines) {
    answers(answerLines);
    machine().machine().setModulePath("C:\\SETUP\\SETUP.EXE");
    run().runState = merl::kStateManual;
    load(source(1));
    return merl::ReadScriptHeader();
  }
  // The kind word of each path prompt shown, from the transcript's dialog lines.
  std::vector<std::string> prompts() {
    std::vector<std::string> out;
    std::string t = transcript();
    for (auto at = t.find("\"ev\":\"dialog\""); at != std::string::npos; at = t.find("\"ev\":\"dialog\"", at + 1)) {
      std::string line = t.substr(at, t.find('\n', at) - at);
      auto begin = line.find("\"text\":\"L0m8");
      auto end = begin == std::string::npos ? begin : line.find("L0m9", begin);
      if (end != std::string::npos) out.push_back(line.substr(begin + 12, end - begin - 12));
    }
    return out;
  }
};

TEST_F(ManualModeTest, FivePromptsInOrderStoreTheAnswersAndMakeTheDirectories) {
  ASSERT_EQ(readManual("1539 1 set 1000=C:\\NEWWIN\n1539 1\n1539 1\n1539 1\n1539 1\n"), merl::kGoOn);
  EXPECT_EQ(prompts(), (std::vector<std::string>{"Windows", "System", "System32", "Temp", "Source"}));
  EXPECT_EQ(var("WIN"), "C:\\NEWWIN");
  EXPECT_TRUE(std::filesystem::is_directory(machine().hostC("NEWWIN")));
  EXPECT_NE(transcript().find("L0m10"), std::string::npos);
  EXPECT_EQ(var("FONTS"), "C:\\NEWWIN\\Fonts");
}

TEST_F(ManualModeTest, EmptyOkKeepsThePromptOpen) {
  ASSERT_EQ(readManual("1539 1 set 1000=\n1539 1 set 1000=C:\\W2\n1539 1\n1539 1\n1539 1\n1539 1\n"), merl::kGoOn);
  EXPECT_EQ(var("WIN"), "C:\\W2");
  EXPECT_EQ(prompts().size(), 5u);
}

TEST_F(ManualModeTest, ConfirmedCancelAbortsAndAnUnconfirmedOneAsksAgain) {
  EXPECT_EQ(readManual("1539 2\n114 3\n1539 1\n1539 2\n114 1\n"), merl::kAbort);
  EXPECT_EQ(prompts().size(), 2u);
  // The question is the runtime's own box: message 31 under title 18.
  std::string t = transcript();
  EXPECT_NE(t.find("\"title\":\"L0m18\""), std::string::npos);
  EXPECT_NE(t.find("\"text\":\"L0m31\""), std::string::npos);
}

}  // namespace
