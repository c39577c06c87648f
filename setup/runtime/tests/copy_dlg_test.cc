// The copy progress dialog: its texts and bar rectangle, the two clipped
// paints of the percentage with done held at total, the frame without CTL3D,
// and Cancel's question.
#include "ui/copy_dlg.h"

#include <string>
#include <vector>

#include "dialog_fixture.h"
#include "entry/dll_main.h"
#include "entry/main_state.h"
#include "entry/screen_services.h"
#include "json_reader.h"
#include "runtime_test.h"
#include "ui/dialog_texts.h"
#include "win/dialog.h"
#include "win/gdi.h"
#include "win/library.h"
#include "win/resource.h"
#include "win/window.h"

namespace {

using merl_kit::JsonValue;

class CopyDlgTest : public merl_testing::DialogTest {
 protected:
  void TearDown() override {
    if (dialog_) win::DestroyWindow(dialog_);
    DialogTest::TearDown();
  }
  void open() {
    dialog_ = win::CreateDialogParam(merl::dialogModule(), win::MAKEINTRESOURCE(merl::kCopyDialogId), nullptr,
                                     merl::CopyDlg, 0);
    ASSERT_NE(dialog_, nullptr);
    win::ShowWindow(dialog_, win::SW_SHOWNORMAL);
    merl::run().state<merl::CopyProgressLink>().copyDialog = dialog_;
  }
  // The gdi calls named call traced since mark events.
  std::vector<JsonValue> drawn(const std::string& call, std::size_t mark) {
    std::vector<JsonValue> out;
    std::vector<JsonValue> all = events();
    for (std::size_t i = mark; i < all.size(); ++i)
      if (all[i]["ev"].text() == "gdi" && all[i]["call"].text() == call) out.push_back(all[i]);
    return out;
  }
  // Paints with the figures; the index of the first event of the paint.
  std::size_t paint(merl::DWORD done, merl::DWORD total, int percent) {
    merl::run().state<merl::CopyDialogState>().getProgressFraction = [=] {
      return merl::CopyProgressFigures{done, total, percent};
    };
    std::size_t mark = events().size();
    win::InvalidateRect(dialog_, nullptr, win::FALSE);
    win::UpdateWindow(dialog_);
    return mark;
  }
  static std::vector<long long> rect(const JsonValue& v) {
    std::vector<long long> r;
    for (const JsonValue& n : v.items()) r.push_back(n.integer());
    return r;
  }

  win::HWND dialog_ = nullptr;
};

TEST_F(CopyDlgTest, TakesItsTextsAndTheBarsInsideAndHidesTheFrameWithoutCtl3d) {
  open();
  char text[64] = {};
  win::GetWindowText(dialog_, text, sizeof text);
  EXPECT_STREQ(text, "M29");
  win::GetDlgItemText(dialog_, 2, text, sizeof text);
  EXPECT_STREQ(text, "M28");
  win::HWND bar = win::GetDlgItem(dialog_, merl::kCopyBarControl);
  EXPECT_FALSE(win::GetWindowLong(bar, win::GWL_STYLE) & win::WS_VISIBLE);
  win::RECT frame{};
  win::GetWindowRect(bar, &frame);
  win::MapWindowPoints(nullptr, dialog_, reinterpret_cast<win::POINT*>(&frame), 2);
  const win::RECT& in = merl::run().state<merl::CopyDialogState>().inner;
  EXPECT_EQ(in.left, frame.left + 1);
  EXPECT_EQ(in.top, frame.top + 1);
  EXPECT_EQ(in.right, frame.right - 1);
  EXPECT_EQ(in.bottom, frame.bottom - 1);
}

TEST_F(CopyDlgTest, PaintsThePercentageFilledUpToTheShareDoneAndPlainBeyondIt) {
  open();
  const win::RECT in = merl::run().state<merl::CopyDialogState>().inner;
  const long long l = in.left, t = in.top, r = in.right, b = in.bottom, half = l + (r - l) / 2;
  const std::string bar = "#00007f", face = "#ffffff";  // without CTL3D the face is white
  struct Case {
    merl::DWORD done, total;
    int percent;
    const char* text;
    long long filled;
  } cases[] = {
      {500, 1000, 50, " 50%", half}, {0, 1000, 0, "  0%", l}, {1000, 1000, 100, "100%", r},
      {1500, 1000, 150, "100%", r},  // more than the total: never past the edge, never above 100%
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    std::size_t mark = paint(c.done, c.total, c.percent);
    std::vector<JsonValue> texts = drawn("ExtTextOut", mark);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]["text"].text(), c.text);
    EXPECT_EQ(texts[1]["text"].text(), c.text);
    EXPECT_EQ(rect(texts[0]["rect"]), (std::vector<long long>{l, t, c.filled, b}));
    EXPECT_EQ(rect(texts[1]["rect"]), (std::vector<long long>{c.filled + 1, t, r, b}));
    EXPECT_EQ(texts[0]["bkcolor"].text(), bar);
    EXPECT_EQ(texts[0]["textcolor"].text(), face);
    EXPECT_EQ(texts[1]["bkcolor"].text(), face);
    EXPECT_EQ(texts[1]["textcolor"].text(), bar);
    EXPECT_EQ(texts[0]["x"].integer(), texts[1]["x"].integer());
    std::vector<JsonValue> frames = drawn("FrameRect", mark);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(rect(frames[0]["rect"]), (std::vector<long long>{l - 1, t - 1, r + 1, b + 1}));
  }
}

TEST_F(CopyDlgTest, ConfirmedCancelSetsTheAbortFlagAndTheDialogStays) {
  struct Case {
    const char* answer;  // to the cancel question
    bool copyDialog;
    merl::DWORD abort;
  } cases[] = {{"first", true, 1}, {"second", true, 0}, {"none asked", false, 0}};
  answers("114 1\n114 3\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    setup_.abortFlag = 0;
    open();
    if (!c.copyDialog) merl::run().state<merl::CopyProgressLink>().copyDialog = nullptr;
    win::SendMessage(dialog_, win::WM_COMMAND, win::IDCANCEL, 0);
    EXPECT_EQ(setup_.abortFlag, c.abort);
    EXPECT_TRUE(win::IsWindow(dialog_));
    win::DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
}

}  // namespace
