// ReadScriptHeader: 1 the action parameter blocks, 2 the numbers and flags,
// 3 the header strings (and the message box font), 4 %LANGUAGES% and the language choice, 5 the title and
// the messages, 6 the predefined variables (with the manual-mode questions).
// Every read is bounded by the image; a header that runs off it is refused.
#include "script/script_header.h"

#include <cstring>

#include "interp/cursor.h"
#include "script/manual_mode.h"
#include "script/predefined_variables.h"
#include "script/script_error.h"
#include "script/script_image.h"
#include "script/variables.h"
#include "system/platform_flags.h"
#include "text/copy_text.h"
#include "ui/dialog_texts.h"
#include "ui/language_dlg.h"
#include "ui/message_box_dlg.h"
#include "win/error.h"
#include "win/profile.h"
#include "win/registry.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr char kIntlSection[] = "Intl";
constexpr char kLanguageKey[] = "sLanguage";
constexpr char kInternationalKey[] = "Control Panel\\International";

std::string cut(std::string_view text, std::size_t length) { return std::string(text.substr(0, length)); }

DWORD readU32(const BYTE* at) {
  return DWORD{at[0]} | DWORD{at[1]} << 8 | DWORD{at[2]} << 16 | DWORD{at[3]} << 24;
}

HWND mainWindow() { return run().setup() ? run().setup()->mainWindow : nullptr; }

// Reads header strings and fixed fields in order; `failed` once anything ran off the image.
class HeaderReader {
 public:
  explicit HeaderReader(const ScriptImage& image, DWORD position) : image_(image), position_(position) {}

  std::string_view string() {
    std::string_view s = NextScriptString(image_, position_);
    if (image_.ranOff(position_)) failed_ = true;
    return failed_ ? std::string_view() : s;
  }
  void skip(long long strings) {
    for (long long i = 0; i < strings && !failed_; ++i) string();
  }
  const BYTE* bytes(DWORD count) {
    if (failed_ || image_.ranOff(position_) || image_.length() - position_ < count) {
      failed_ = true;
      return nullptr;
    }
    const BYTE* at = image_.data() + position_;
    position_ += count;
    return at;
  }
  bool failed() const { return failed_; }
  DWORD position() const { return position_; }

 private:
  const ScriptImage& image_;
  DWORD position_;
  bool failed_ = false;
};

void fillActionBlocks(ScriptHeader& h) {
  VariableStore& store = variables();
  ActionParams& p = h.internalParams;
  p.size = kActionParamsSize;
  p.mainWindow = mainWindow();
  p.slotLimit = kSlotLimit;
  p.nameSlotSize = kNameSlotSize;
  p.valueSlotSize = kValueSlotSize;
  p.names = store.names;
  p.values = store.values;
  p.runState = run().runState;
  p.logHandle = win::INVALID_HANDLE_VALUE;
  ExternalActionParams& e = h.externalParams;
  e.size = kExternalActionParamsSize;
  e.mainWindow = p.mainWindow;
  e.slotLimit = kSlotLimit;
  e.nameSlotSize = kNameSlotSize;
  e.valueSlotSize = kValueSlotSize;
  e.names = store.names;
  e.values = store.values;
  e.runState = run().runState;
  e.logHandle = win::INVALID_HANDLE_VALUE;
  e.silentFlag = run().setup() ? run().setup()->silentFlag : 0;
}

void readFlags(ScriptHeader& h, const BYTE* image) {
  h.flags = image[0];
  h.dialogPosition = h.flags & kDialogPositionMask;
  h.progressPause = (h.flags & kProgressPauseFlag) != 0;
  h.noLog = (h.flags & kNoLogFlag) != 0;
  h.placementMode = (h.flags & kPlacementModeFlag) != 0;
  h.totalBytes = readU32(image + 5);
  h.diskSize = readU32(image + 9);
  h.dataStamp = readU32(image + 13);
}

// Step 3; false when the header runs off the image or has no language.
bool readSettings(ScriptHeader& h, HeaderReader& in) {
  std::string_view reserved = in.string();
  if (!reserved.empty()) h.reserved = cut(reserved, kReservedTextLength);
  h.pieceBase = cut(in.string(), kHeaderPathLength);
  h.logPath = cut(in.string(), kHeaderPathLength);
  h.faceName = cut(in.string(), kFaceNameLength);
  const BYTE* fixed = in.bytes(7);
  if (!fixed) return false;
  h.fontSize = fixed[0];
  h.charset = fixed[1];
  h.diskOffsetAdjust = readU32(fixed + 2);
  h.languageCount = fixed[6];
  if (h.languageCount == 0) return false;
  for (auto& s : h.product) s = in.string();
  return !in.failed();
}

// The message box font follows the header; an empty face or a size of 0 keeps the default.
void setDialogFont(const ScriptHeader& h) {
  DialogFontSettings& font = run().state<DialogFontSettings>();
  DialogFontSettings defaults;
  font.face = h.faceName.empty() ? defaults.face : h.faceName;
  font.pointSize = h.fontSize != 0 ? h.fontSize : defaults.pointSize;
  font.charSet = h.charset;
}

void setLanguagesValue(std::string_view value) {
  copyText(FindVar("%LANGUAGES%"), kLanguagesValueLength + 1, value);
}

// Step 4: kGoOn, kAbort for a cancelled choice, or 1 for a header that ran off.
int chooseLanguage(ScriptHeader& h, HeaderReader& in) {
  FindVar("%CMDLINE%");
  setLanguagesValue("");
  if (h.languageCount == 1) {
    std::string_view value = in.string();
    if (in.failed()) return 1;
    setLanguagesValue(value);
    return kGoOn;
  }
  DWORD list = in.position();
  in.skip(2LL * h.languageCount);
  std::string_view prompt = in.string();
  if (in.failed()) return 1;
  DialogTexts& texts = dialogTexts();
  texts.setDescription(prompt);
  texts.setAnswer(defaultLanguageName());
  h.language = 0;
  int answer = ChooseLanguage(list);
  if (answer != 1 || h.language < 0 || h.language >= h.languageCount) return kAbort;
  return kGoOn;
}

// Step 5; false when the blocks run off the image.
bool readMessages(ScriptHeader& h, HeaderReader& in) {
  in.skip(static_cast<long long>(kLanguageBlockStrings) * h.language);
  h.title = cut(in.string(), kHeaderPathLength);
  for (int k = 0; k < kScriptMessageCount; ++k) h.messageTexts[k] = std::string(in.string());
  in.skip(static_cast<long long>(kLanguageBlockStrings) * (h.languageCount - h.language - 1));
  if (in.failed()) return false;
  for (int k = 0; k < kScriptMessageCount; ++k) h.messageTable[k] = h.messageTexts[k].c_str();
  h.messagesLoaded = true;
  win::SetWindowText(mainWindow(), h.title.c_str());
  h.position = in.position();
  ScriptCursor& c = cursor();
  c.position = h.position;
  c.languages = h.languageCount;
  c.language = h.language;
  h.recordAreaLength = run().scriptLength - in.position();
  h.internalParams.messageTable = h.messageTable.data();
  if (run().platform.win32) {
    h.externalParams.message17 = h.messageTable[17];
    h.externalParams.message44 = h.messageTable[44];
  }
  if (run().setup()) run().setup()->messageTable = h.messageTable.data();
  return true;
}

// A second read in one run starts from nothing: no messages, languages or position of the
// first, and no message table of the first in the setup record.
void clearHeader(ScriptHeader& h) {
  SetupRec* setup = run().setup();
  if (setup && setup->messageTable == h.messageTable.data()) setup->messageTable = nullptr;
  h = ScriptHeader{};
  cursor() = ScriptCursor{};
}

}  // namespace

ScriptHeader& scriptHeader() { return run().state<ScriptHeader>(); }

const char* scriptMessage(int k) {
  Run* current = currentRun();
  if (!current || k < 0 || k >= kScriptMessageCount) return nullptr;
  ScriptHeader& h = current->state<ScriptHeader>();
  if (h.messagesLoaded) return h.messageTable[k];
  // Before the header is read, the caller's setup record may carry the table.
  SetupRec* setup = current->setup();
  return setup && setup->messageTable ? setup->messageTable[k] : nullptr;
}

std::string defaultLanguageName() {
  char value[kLanguagesValueLength + 1] = {};
  win::GetProfileString(kIntlSection, kLanguageKey, "", value, sizeof value);
  if (run().platform.windowsNt) {
    win::UniqueKey key;
    if (win::RegOpenKeyEx(win::HKEY_CURRENT_USER, kInternationalKey, 0, win::KEY_QUERY_VALUE, key.put()) ==
        win::ERROR_SUCCESS) {
      char text[kLanguagesValueLength + 1] = {};
      win::DWORD type = 0;
      win::DWORD size = sizeof text - 1;
      if (win::RegQueryValueEx(key.get(), kLanguageKey, nullptr, &type, reinterpret_cast<win::BYTE*>(text), &size) ==
              win::ERROR_SUCCESS &&
          type == win::REG_SZ) {
        text[size < sizeof text ? size : sizeof text - 1] = '\0';
        return text;
      }
    }
  }
  return value;
}

void FillActionBlocks() { fillActionBlocks(scriptHeader()); }

int ReadScriptHeader() {
  ScriptHeader& h = scriptHeader();
  clearHeader(h);
  InitPlatformFlags();
  fillActionBlocks(h);
  ScriptImage image = ScriptImage::of(run());
  if (image.ranOff(0) || image.length() < kHeaderStringsAt) return internalError();
  readFlags(h, image.data());
  HeaderReader in(image, kHeaderStringsAt);
  if (!readSettings(h, in)) return internalError();
  setDialogFont(h);
  int chosen = chooseLanguage(h, in);
  if (chosen == 1) return internalError();
  if (chosen != kGoOn) return chosen;
  if (!readMessages(h, in)) return internalError();
  SetPredefinedDirectories();
  if (run().runState == kStateManual && AskManualDirectories() != kGoOn) return kAbort;
  SetFontsAndDiskNumber();
  return kGoOn;
}

}  // namespace merl
