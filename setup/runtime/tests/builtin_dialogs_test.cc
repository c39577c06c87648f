// The prompt and the list dialog with the common look: widened, the common
// font on every control, the prompt placed by the header, the list always
// centred; the extract list's lines, tab stops and multiple choice.
#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "entry/dll_main.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "script/script_header.h"
#include "ui/dialog_texts.h"
#include "ui/language_dlg.h"
#include "ui/path_name_dlg.h"
#include "win/dialog.h"
#include "win/library.h"
#include "win/resource.h"
#include "win/window.h"

namespace {

using merl_kit::JsonValue;

class BuiltinDialogsTest : public merl_testing::DialogTest {
 protected:
  void header(merl::BYTE flags) {
    merl::scriptHeader().dialogPosition = flags & merl::kDialogPositionMask;
    merl::scriptHeader().placementMode = (flags & merl::kPlacementModeFlag) != 0;
  }
  std::vector<JsonValue> dialogs(const std::string& key) {
    std::vector<JsonValue> out;
    for (JsonValue& line : merl_kit::parseJsonLines(machine().readText(machine().stateDir() + "/t.jsonl")))
      if (line["ev"].text() == "dialog" && line["key"].text() == key) out.push_back(line);
    return out;
  }
  static const JsonValue* control(const JsonValue& dialog, int id) {
    for (const JsonValue& c : dialog["controls"].items())
      if (c["id"].integer() == id) return &c;
    return nullptr;
  }
  // A control's rectangle in the template's own dialog, without the look.
  static win::RECT plainRect(int dialogId, int id) {
    win::HWND d = win::CreateDialogParam(merl::dialogModule(), win::MAKEINTRESOURCE(dialogId), nullptr, quietProc, 0);
    win::RECT r{};
    win::GetWindowRect(win::GetDlgItem(d, id), &r);
    win::MapWindowPoints(nullptr, d, reinterpret_cast<win::POINT*>(&r), 2);
    win::DestroyWindow(d);
    return r;
  }
  static win::INT_PTR quietProc(win::HWND, win::UINT message, win::WPARAM, win::LPARAM) {
    return message == win::WM_INITDIALOG ? win::TRUE : win::FALSE;
  }
  static long long at(const JsonValue& v, int i) { return v["rect"][i].integer(); }
  std::vector<merl::ExtractFileEntry> files() {
    merl::ExtractFileEntry readme;
    readme.name = "%INST%\\README.TXT";
    readme.dosDate = 0x2497;
    readme.dosTime = 0x50A0;
    readme.size = 1234;
    merl::ExtractFileEntry late;
    late.name = "LATE.DAT";
    late.dosDate = 0x2EB9;
    late.dosTime = 0xBF7D;
    merl::ExtractFileEntry third;
    third.name = "C.BIN";
    return {readme, late, third};
  }
};

TEST_F(BuiltinDialogsTest, ThePromptIsWidenedCarriesTheCommonFontAndIsPlacedByTheHeader) {
  struct Case {
    merl::BYTE flags;
    bool byCode;
  } cases[] = {{0x08, false}, {0x88, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.flags);
    scope_.reset();
    useMachine("[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n");
    scope_ = std::make_unique<merl::RunScope>(&setup_);
    header(c.flags);
    merl::dialogTexts().setAnswer("C:\\WINDOWS");
    answers("1539 1\n");
    EXPECT_EQ(merl::AskPathName(), 1);
    auto shown = dialogs("1539");
    ASSERT_EQ(shown.size(), 1u);
    const JsonValue& d = shown[0];
    long long w = at(d, 2) - at(d, 0), h = at(d, 3) - at(d, 1);
    long long x = c.byCode ? 3 * 800 / 4 - w / 2 : (800 - w) / 2, y = c.byCode ? 3 * 600 / 4 - h / 2 : (600 - h) / 2;
    if (x + w > 800) x = 800 - w;
    if (y + h > 600) y = 600 - h;
    EXPECT_EQ(at(d, 0), x);
    EXPECT_EQ(at(d, 1), y);
    EXPECT_EQ((*control(d, 1))["text"].text(), "M27");
    EXPECT_EQ((*control(d, 2))["text"].text(), "M28");
    EXPECT_EQ((*control(d, 1007))["text"].text(), "M16");
    EXPECT_EQ((*control(d, 1000))["text"].text(), "C:\\WINDOWS");
    for (const JsonValue& k : d["controls"].items()) EXPECT_EQ(k["font"]["weight"].integer(), 700) << k["id"].integer();
    // Each edge of a control a sixth further out than the template alone puts it.
    for (int id : {1000, 1, 2, 1007}) {
      win::RECT plain = plainRect(merl::kPathNameDialogId, id);
      EXPECT_EQ(at(*control(d, id), 0), plain.left + plain.left / 6) << id;
      EXPECT_EQ(at(*control(d, id), 2), plain.right + plain.right / 6) << id;
      EXPECT_EQ(at(*control(d, id), 1), plain.top) << id;
    }
  }
}

TEST_F(BuiltinDialogsTest, TheListIsCentredWhateverTheHeaderAsks) {
  header(0x88);
  merl::run().runState = merl::kStateExtract;
  answers("107 1\n");
  auto list = files();
  merl::ChooseExtractFiles(list, "Pick");
  auto shown = dialogs("107");
  ASSERT_EQ(shown.size(), 1u);
  const JsonValue& d = shown[0];
  long long w = at(d, 2) - at(d, 0), h = at(d, 3) - at(d, 1);
  EXPECT_EQ(at(d, 0), (800 - w) / 2);
  EXPECT_EQ(at(d, 1), (600 - h) / 2);
}

TEST_F(BuiltinDialogsTest, ExtractLinesCarryDateTimeAndSizeUnderTabStops) {
  merl::run().runState = merl::kStateExtract;
  answers("107 1 select 1010=0,2\n");
  auto list = files();
  EXPECT_EQ(merl::ChooseExtractFiles(list, "Pick"), (std::vector<std::size_t>{0, 2}));
  auto shown = dialogs("107");
  ASSERT_EQ(shown.size(), 1u);
  const JsonValue& files = *control(shown[0], 1010);
  std::vector<std::string> items;
  for (const JsonValue& i : files["items"].items()) items.push_back(i.text());
  EXPECT_EQ(items[0], "README.TXT\t04/23/98\t   10:05\t1234");
  EXPECT_EQ(items[1], "LATE.DAT\t05/25/03\t   23:59\t0");
  std::vector<long long> stops;
  for (const JsonValue& t : files["tabstops"].items()) stops.push_back(t.integer());
  EXPECT_EQ(stops, (std::vector<long long>{64, 98, 140}));
  EXPECT_FALSE((*control(shown[0], 1008))["visible"].boolean());
  EXPECT_EQ((*control(shown[0], 1001))["text"].text(), "Pick");
}

TEST_F(BuiltinDialogsTest, ADoubleClickChoosesLikeOkAndCancelChoosesNothing) {
  merl::run().runState = merl::kStateExtract;
  struct Case {
    const char* answers;
    std::vector<std::size_t> chosen;
  } cases[] = {
      {"107 2 select 1010=1 notify 1010=2\n", {1}},
      {"107 2 select 1010=1\n", {}},
      {"107 1 select 1010=\n", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers);
    answers(c.answers);
    auto list = files();
    EXPECT_EQ(merl::ChooseExtractFiles(list, "Pick"), c.chosen);
  }
}

}  // namespace
