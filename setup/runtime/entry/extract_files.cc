// CollectExtractFileList and the writing of the listed files.
#include "entry/extract_files.h"

#include "constants.h"
#include "entry/install_file.h"
#include "entry/main_state.h"
#include "entry/run_seams.h"
#include "files/paths.h"
#include "script/script_header.h"
#include "script/script_image.h"
#include "win/files.h"

namespace merl {

namespace {

constexpr int kInstallFileOpcode = 0;
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
    DWORD p = at_ + kRecordSize[kInstallFileOpcode];
    return NextScriptString(image_, p);
  }
  // The string after every language's descriptions (the hook parameter): the image holds the
  // destination, each language's description, then that string.
  std::string_view hookParameter(int languages) const {
    DWORD p = at_ + kRecordSize[kInstallFileOpcode];
    NextScriptString(image_, p);
    if (!SkipToLanguage(image_, p, kLanguageStrings[kInstallFileOpcode], languages)) return {};
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

void fileError(const std::string& name) { runSeams().fileErrorMessage(name.c_str(), 1); }

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
    if (image.opcodeAt(at) == kInstallFileOpcode && listed(r, h.languageCount)) list.push_back(entryOf(r));
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
  runSeams().updateScreen(0);
  std::string directory = mainState().extractTarget;
  while (!directory.empty() && (directory.back() == '\\' || directory.back() == '/')) directory.pop_back();
  if (!directory.empty()) writeAll(list, directory);
  return kEndMark;
}

}  // namespace merl
