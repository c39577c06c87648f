// CollectExtractFileList and the writing of the listed files.
#include "entry/extract_files.h"

#include "constants.h"
#include "entry/dll_main.h"
#include "entry/install_file.h"
#include "entry/main_state.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "interp/opcodes.h"
#include "merl/setup_interface.h"
#include "ui/file_error_message.h"
#include "ui/language_dlg.h"
#include "script/script_header.h"
#include "script/script_image.h"
#include "text/copy_text.h"
#include "ui/message_dlg.h"
#include "win/common_dialogs.h"
#include "win/files.h"
#include "win/resource.h"

namespace merl {

namespace {

constexpr int kExtractPromptMessage = 19;
constexpr unsigned kAllFilesTextId = 201;
constexpr unsigned kAllFilesPatternId = 202;
constexpr BYTE kFlagANoData = 0x04;
constexpr BYTE kFlagBPiece = 0x08;

// An install-file record's fixed part, which NextRecord has checked lies inside the image.
class InstallRecord {
 public:
  InstallRecord(const ScriptImage& image, DWORD at) : image_(image), at_(at) {}
  BYTE byte(int i) const { return image_.data()[at_ + i]; }
  DWORD u32(int i) const {
    return byte(i) | (byte(i + 1) << 8) | (byte(i + 2) << 16) | (static_cast<DWORD>(byte(i + 3)) << 24);
  }
  WORD u16(int i) const { return static_cast<WORD>(byte(i) | (byte(i + 1) << 8)); }
  std::string_view destination() const {
    DWORD p = at_ + kRecordSize[kOpInstallFile];
    return NextScriptString(image_, p);
  }
  // The string after every language's descriptions (the hook parameter): the image holds the
  // destination, each language's description, then that string.
  std::string_view hookParameter(int languages) const {
    DWORD p = at_ + kRecordSize[kOpInstallFile];
    NextScriptString(image_, p);
    if (!SkipToLanguage(image_, p, kLanguageStrings[kOpInstallFile], languages)) return {};
    return NextScriptString(image_, p);
  }

 private:
  const ScriptImage& image_;
  DWORD at_;
};

bool listed(const InstallRecord& r, int languages) {
  if (r.byte(1) & kFlagANoData) return false;
  if ((run().setup()->optionWord & kOptionPieceMode) && !(r.byte(2) & kFlagBPiece)) return false;
  return r.hookParameter(languages).empty();
}

ExtractFileEntry entryOf(const InstallRecord& r) {
  ExtractFileEntry e;
  e.name = std::string(r.destination());  // made a bare name when it is written
  e.flags = r.byte(1);
  e.dataStart = r.u32(3);
  DWORD end = r.u32(7);
  e.dataLength = end >= e.dataStart ? end - e.dataStart : 0;
  e.dosDate = r.u16(11);
  e.dosTime = r.u16(13);
  e.size = r.u32(15);
  return e;
}

bool stopped() {
  SetupRec* s = run().setup();
  return s->abortFlag || s->errorByte;
}

void fileError(const std::string& name) { FileErrorMessage(name, 1); }

// Writes one entry to target; false when the target cannot be made.
bool writeEntry(const ExtractFileEntry& e, const std::string& target) {
  SetupRec& setup = *run().setup();
  HANDLE file = win::CreateFile(target.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS, 0, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return false;
  setup.readOffset = e.dataStart + mainState().dataBaseOffset;
  SeekInstallFile();
  ReadFromInstallFile(setup.installFile, file, e.dataLength);
  win::FILETIME local{}, utc{};
  if (win::DosDateTimeToFileTime(e.dosDate, e.dosTime, &local) && win::LocalFileTimeToFileTime(&local, &utc))
    win::SetFileTime(file, nullptr, nullptr, &utc);
  win::CloseHandle(file);
  return true;
}

void writeAll(const std::vector<ExtractFileEntry>& list, const std::string& directory) {
  bool first = true;
  for (const ExtractFileEntry& e : list) {
    if (stopped()) return;
    std::string name = ExtractName(e.name);
    std::string target = directory + "\\" + name;
    if (name.empty() || target.size() > kMaxExtractNameLength) {
      fileError(name.empty() ? e.name : target);
      continue;
    }
    if (first) MakeDirectoryPath(target.c_str());
    first = false;
    if (!writeEntry(e, target)) {
      fileError(target);
      run().setup()->abortFlag = 1;
    }
  }
}

// The save dialog's filter: string 201, then 202, each NUL-ended, and an empty one.
std::string saveFilter() {
  char text[kPathBufferSize] = {}, pattern[kPathBufferSize] = {};
  win::LoadString(ownModule(), kAllFilesTextId, text, sizeof text);
  win::LoadString(ownModule(), kAllFilesPatternId, pattern, sizeof pattern);
  std::string filter = text;
  filter.push_back('\0');
  filter += pattern;
  filter.push_back('\0');
  filter.push_back('\0');
  return filter;
}

// Each chosen entry goes where its save dialog says; a file that cannot be made is reported.
void saveChosen(const std::vector<ExtractFileEntry>& list) {
  std::vector<std::string> names;
  for (const ExtractFileEntry& e : list) names.push_back(ExtractName(e.name));
  const char* prompt = scriptMessage(kExtractPromptMessage);
  std::string filter = saveFilter();
  for (std::size_t i : ChooseExtractFiles(list, prompt ? prompt : "")) {
    if (i >= list.size() || stopped()) continue;
    char file[kPathBufferSize] = {};
    copyText(file, sizeof file, names[i]);
    win::OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = run().setup()->mainWindow;
    ofn.hInstance = ownModule();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = win::OFN_OVERWRITEPROMPT | win::OFN_HIDEREADONLY | win::OFN_PATHMUSTEXIST;
    if (!win::GetSaveFileName(&ofn)) continue;
    if (!writeEntry(list[i], file)) fileError(file);
  }
}

}  // namespace

std::string ExtractName(std::string_view destination) {
  std::size_t cut = destination.find_last_of("\\/");
  std::string_view name = cut == std::string_view::npos ? destination : destination.substr(cut + 1);
  if (name.empty() || name == "." || name == ".." || name.size() > kMaxExtractNameLength) return {};
  return std::string(name);
}

int CollectExtractFileList(std::vector<ExtractFileEntry>& list) {
  list.clear();
  if (ReadScriptHeader() != kGoOn) return 1;
  const ScriptHeader& h = scriptHeader();
  ScriptImage image = ScriptImage::of(run());
  DWORD at = h.position;
  while (!image.ranOff(at) && image.opcodeAt(at) != kEndMarkOpcode && !stopped() &&
         list.size() < kMaxExtractEntries) {
    DWORD next = at;
    if (!NextRecord(image, next, h.languageCount)) break;
    InstallRecord r(image, at);
    if (image.opcodeAt(at) == kOpInstallFile && listed(r, h.languageCount)) list.push_back(entryOf(r));
    at = next;
  }
  return 0;
}

int RunExtract() {
  std::vector<ExtractFileEntry> list;
  BYTE state = run().runState;
  run().runState = kStateNormal;
  int failed = CollectExtractFileList(list);
  run().runState = state;
  if (failed) return kEndMark;
  UpdateScreen(0);
  std::string directory = mainState().extractTarget;
  while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/')) directory.pop_back();
  if (!directory.empty()) writeAll(list, directory);
  else saveChosen(list);
  return kEndMark;
}

}  // namespace merl
