// Typed paths cleaned to "X:\..." (the current drive when none is typed) and
// paths shortened to fit a control: "..." per directory name, then the end cut.
#include "text/path_clean.h"

#include <cstring>
#include <string>

#include "platform_testing/temp_dir.h"
#include "runtime_test.h"
#include "win/controls.h"
#include "win/files.h"
#include "win/gdi.h"
#include "win/window.h"

namespace {

class PathCleanTest : public merl_testing::RuntimeTest {
 protected:
  platform_testing::TempDir d_;
};

TEST_F(PathCleanTest, TypedPathsBecomeDriveRootedWithoutTrailingBlanksOrBackslashes) {
  useMachine("[drives]\nD = " + d_.path() + "\n");
  ASSERT_TRUE(win::SetCurrentDirectory("D:\\"));
  struct Case {
    const char* typed;
    const char* clean;
  } cases[] = {
      {" C:\\DIR\\ ", "C:\\DIR"},
      {"C:\\", "C:"},
      {"C:DIR", "C:\\DIR"},
      {"DIR", "D:\\DIR"},
      {"\\DIR", "D:\\DIR"},
      {"\\\\SRV\\SHARE\\DIR", "\\\\SRV\\SHARE\\DIR"},
      {"C:\\A", "C:\\A"},
      {"  ", "D:"},
  };
  for (const auto& c : cases) {
    char text[merl::kPathTextBuffer];
    std::strcpy(text, c.typed);
    merl::CleanPathText(text);
    EXPECT_STREQ(text, c.clean) << '"' << c.typed << '"';
  }
}

TEST_F(PathCleanTest, ALongTypedPathStaysWithinItsBuffer) {
  char text[merl::kPathTextBuffer];
  std::memset(text, 'A', sizeof text - 1);
  text[sizeof text - 1] = '\0';
  merl::CleanPathText(text);
  EXPECT_EQ(std::strlen(text), merl::kPathTextBuffer - 1);
  EXPECT_EQ(std::string(text, 3), "C:\\");
}

// A static control chars characters wide in the system font (8 pixels a character).
win::HWND staticOfWidth(int chars) {
  return win::CreateWindowEx(0, "STATIC", "", win::WS_POPUP, 0, 0, chars * 8, 16, nullptr, nullptr, nullptr, nullptr);
}

TEST_F(PathCleanTest, ShortenedPathsGiveEachReplacedNameItsOwnDotsThenCutTheEnd) {
  struct Case {
    const char* path;
    int chars;  // the control's width in characters; the text must be narrower
    const char* shown;
  } cases[] = {
      {"C:\\BIN", 7, "C:\\BIN"},
      {"C:\\PROGRAMS\\VENDOR\\BIN", 19, "C:\\...\\VENDOR\\BIN"},
      {"C:\\PROGRAMS\\VENDOR\\BIN", 15, "C:\\...\\...\\BIN"},
      {"C:\\PROGRAMS\\VENDOR\\BIN", 14, "C:\\...\\......"},  // then one character a round
      {"C:\\PROGRAMS\\VENDOR\\BIN", 5, "C..."},
      {"C:\\PROGRAMS\\VENDOR\\BIN", 1, "..."},
  };
  for (const auto& c : cases) {
    win::HWND control = staticOfWidth(c.chars);
    char text[merl::kPathTextBuffer];
    std::strcpy(text, c.path);
    merl::SetShortenedPathText(control, text);
    EXPECT_STREQ(text, c.shown) << c.path << " in " << c.chars;
    char shown[merl::kPathTextBuffer] = {};
    win::GetWindowText(control, shown, sizeof shown);
    EXPECT_STREQ(shown, c.shown);
    win::DestroyWindow(control);
  }
}

}  // namespace
