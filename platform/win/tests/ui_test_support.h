// Test helpers for the windows half: dialog templates served as a module's
// resources for the life of a test, the installer's own dialog templates built
// from their tables, and the transcript's lines.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/files.h"
#include "resource_seam.h"
#include "win/dialog.h"
#include "win/dialog_template.h"
#include "win_testing/test_machine.h"

namespace ui_test {

// Serves DIALOG resources by id (any module) while it lives.
class TemplateResources {
 public:
  TemplateResources() { previous_ = win::detail::setResourceBytesLookup(&lookup); }
  ~TemplateResources() {
    win::detail::setResourceBytesLookup(previous_);
    table().clear();
  }
  TemplateResources(const TemplateResources&) = delete;
  TemplateResources& operator=(const TemplateResources&) = delete;

  void add(win::WORD id, std::string bytes) { table()[id] = std::move(bytes); }

 private:
  static std::map<win::WORD, std::string>& table() {
    static std::map<win::WORD, std::string> t;
    return t;
  }
  static std::optional<std::string_view> lookup(win::HMODULE, win::LPCSTR type, win::LPCSTR name) {
    if (type != win::detail::kDialogResourceType || !win::IS_INTRESOURCE(name)) return std::nullopt;
    auto it = table().find(static_cast<win::WORD>(reinterpret_cast<std::uintptr_t>(name)));
    if (it == table().end()) return std::nullopt;
    return std::string_view(it->second);
  }

  win::detail::ResourceBytesLookup previous_ = nullptr;
};

inline constexpr win::DWORD kChild = win::WS_CHILD | win::WS_VISIBLE;

// Dialog 114, the runtime's message box: 181 x 49 units, text 1005 and buttons 1, 3, 2.
inline std::string messageDialog114() {
  using namespace win;
  return DialogTemplateBuilder(WS_POPUP | DS_MODALFRAME | DS_SETFONT | WS_CAPTION | WS_SYSMENU, 0, 0, 181, 49)
      .font(8, "MS Sans Serif")
      .control(kStaticClassOrdinal, "", 1005, kChild | SS_LEFT, 17, 6, 148, 11)
      .control(kButtonClassOrdinal, "OK", 1, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 13, 31, 50, 14)
      .control(kButtonClassOrdinal, "No", 3, kChild | BS_PUSHBUTTON | WS_TABSTOP, 66, 31, 50, 14)
      .control(kButtonClassOrdinal, "Cancel", 2, kChild | BS_PUSHBUTTON | WS_TABSTOP, 119, 31, 50, 14)
      .bytes();
}

// Dialog 1539, the runtime's text prompt.
inline std::string promptDialog1539() {
  using namespace win;
  return DialogTemplateBuilder(WS_POPUP | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 105, 50,
                               158, 134)
      .font(8, "MS Sans Serif")
      .control(kButtonClassOrdinal, "", 0xFFFF, kChild | BS_GROUPBOX, 3, 4, 151, 50)
      .control(kStaticClassOrdinal, "", 1001, kChild | SS_LEFT | WS_GROUP, 6, 10, 146, 40)
      .control(kStaticClassOrdinal, "", 1006, kChild | SS_LEFT | WS_GROUP, 4, 58, 148, 8)
      .control(kEditClassOrdinal, "", 1000, kChild | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 4, 68, 148, 12)
      .control(kStaticClassOrdinal, "", 1007, kChild | SS_CENTER | WS_GROUP, 4, 90, 148, 17)
      .control(kButtonClassOrdinal, "OK", 1, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 4, 115, 50, 14)
      .control(kButtonClassOrdinal, "Cancel", 2, kChild | BS_PUSHBUTTON | WS_TABSTOP, 102, 115, 50, 14)
      .bytes();
}

// Dialog 107, the runtime's list dialog (1010 allows several selections).
inline std::string listDialog107() {
  using namespace win;
  DWORD list = kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT;
  return DialogTemplateBuilder(WS_POPUP | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 95, 50,
                               189, 161)
      .font(8, "MS Sans Serif")
      .control(kButtonClassOrdinal, "", 0xFFFF, kChild | BS_GROUPBOX, 3, 0, 182, 75)
      .control(kStaticClassOrdinal, "", 1001, kChild | SS_LEFT | WS_GROUP, 6, 6, 175, 67)
      .control(kListBoxClassOrdinal, "", 1008, list, 3, 82, 182, 49)
      .control(kListBoxClassOrdinal, "", 1010, list | LBS_MULTIPLESEL, 3, 82, 182, 49)
      .control(kButtonClassOrdinal, "OK", 1, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 21, 139, 50, 14)
      .control(kButtonClassOrdinal, "Cancel", 2, kChild | BS_PUSHBUTTON | WS_TABSTOP, 116, 139, 50, 14)
      .bytes();
}

// Dialog 103, the runtime's caption-less busy dialog.
inline std::string busyDialog103() {
  using namespace win;
  return DialogTemplateBuilder(WS_POPUP | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE, 60, 80, 237, 21)
      .font(8, "MS Sans Serif")
      .control(kStaticClassOrdinal, "", 1005, kChild | SS_CENTER | SS_NOPREFIX | WS_GROUP, 10, 6, 215, 9)
      .bytes();
}

// A two-page wizard's frame like the uninstaller's dialog 106: a list, two radios, Back, Next, Cancel.
inline std::string wizardDialog106() {
  using namespace win;
  return DialogTemplateBuilder(WS_POPUP | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 30, 30,
                               267, 205)
      .font(8, "MS Sans Serif")
      .control(kListBoxClassOrdinal, "", 1003,
               kChild | WS_BORDER | WS_VSCROLL | LBS_MULTIPLESEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 84, 79, 172, 71)
      .control(kButtonClassOrdinal, "&Automatic", 1000, kChild | BS_AUTORADIOBUTTON | WS_GROUP, 145, 116, 105, 9)
      .control(kButtonClassOrdinal, "&Custom", 1001, kChild | BS_AUTORADIOBUTTON, 145, 128, 106, 9)
      .control(kButtonClassOrdinal, "< &Back", 5, kChild | BS_PUSHBUTTON | WS_GROUP, 93, 184, 50, 14)
      .control(kButtonClassOrdinal, "&Next >", 1, kChild | BS_DEFPUSHBUTTON, 143, 184, 50, 14)
      .control(kButtonClassOrdinal, "Cancel", 2, kChild | BS_PUSHBUTTON, 208, 184, 50, 14)
      .bytes();
}

// The machine.ini of a test with a transcript (and an answers file) in the state directory.
inline const char* kTranscriptIni = "[ui]\ntranscript = $STATE/t.jsonl\n";
inline const char* kUiIni = "[ui]\ntranscript = $STATE/t.jsonl\nanswers = $STATE/answers.txt\n";

inline std::string transcriptOf(const win_testing::TestMachine& m) {
  std::string text;
  platform::readWholeFile(m.stateDir() + "/t.jsonl", text);
  return text;
}

// The transcript lines whose event is ev.
inline std::vector<std::string> events(const win_testing::TestMachine& m, const std::string& ev) {
  std::vector<std::string> out;
  std::string text = transcriptOf(m), tag = "\"ev\":\"" + ev + "\"";
  for (std::size_t start = 0; start < text.size();) {
    auto end = text.find('\n', start);
    std::string line = text.substr(start, end - start);
    if (line.find(tag) != std::string::npos) out.push_back(line);
    start = end == std::string::npos ? text.size() : end + 1;
  }
  return out;
}

inline void writeAnswers(const win_testing::TestMachine& m, const std::string& text) {
  win_testing::TestMachine::writeText(m.stateDir() + "/answers.txt", text);
}

}  // namespace ui_test
