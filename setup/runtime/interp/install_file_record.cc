// InstallFile in its steps: destination and early keeps, working file, date rule,
// copy dialog and status text, the data, plain placing and the tail.
#include "interp/install_file_record.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string>

#include "entry/copy_progress.h"
#include "entry/data_pieces.h"
#include "entry/extract_files.h"
#include "entry/internet_transfer.h"
#include "entry/install_file.h"
#include "entry/main_state.h"
#include "entry/screen_services.h"
#include "files/ask_retry.h"
#include "files/backups.h"
#include "files/copy_file_to.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "files/restart_rename.h"
#include "files/self_register.h"
#include "files/shared_dll_count.h"
#include "files/side_names.h"
#include "files/temp_files.h"
#include "files/version_install.h"
#include "files/versions.h"
#include "interp/abort_message.h"
#include "interp/cursor.h"
#include "interp/temp_files.h"
#include "log/install_log.h"
#include "script/expansion.h"
#include "script/script_header.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "text/path_clean.h"
#include "text/path_text.h"
#include "ui/file_error_message.h"
#include "ui/message_dlg.h"
#include "win/error.h"
#include "win/files.h"
#include "win/path.h"
#include "win/system.h"
#include "win/version.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr std::size_t kPath = 256;
constexpr int kKeptStatusMessage = 14;
constexpr int kFetchedStatusMessage = 13;
constexpr int kCopyStatusMessage = 3;
constexpr int kNoDescriptionMessage = 4;
constexpr char kLogFileName[] = "INSTALL.LOG";
constexpr int kPieceStampMessage = 43;
constexpr DWORD kPieceNumberMask = 0x3FFF;
constexpr int kPieceOffsetShift = 14;
constexpr char kVersionNotCopiedLine[] = "Version: Following file not copied.\r\n";

SetupRec& setup() { return *run().setup(); }
bool testMode() { return run().runState == kStateTest; }
bool stopped() { return setup().abortFlag || setup().errorByte; }

bool isFile(const char* path) {
  DWORD a = win::GetFileAttributes(path);
  return a != win::INVALID_FILE_ATTRIBUTES && !(a & win::FILE_ATTRIBUTE_DIRECTORY);
}

// What one InstallFile call carries from step to step.
struct Install {
  const FileCopyRecord& r;
  BYTE a = 0, b = 0;
  char destination[kPath] = {};
  char working[kPath] = {};
  bool backupsOn = false;
  bool existed = false;
  bool kept = false;
  bool workingMadeHere = false;  // the test-mode temporary file
  bool fromPiece = false;
  bool downloaded = false;
  bool sharedOnNewWindows = false;
  char backup[kPath] = {};
  bool backupMade = false;
  bool blankBeforeLine = false;
  bool outsideCopied = false;  // the outside file's copy: its checksum and size stand for the record's
  DWORD copiedChecksum = 0, copiedSize = 0;  // the version installer refused the file: its line starts with a blank
  LogRecord log;

  explicit Install(const FileCopyRecord& record) : r(record), a(record.fixed.flagsA), b(record.fixed.flagsB) {
    log.opcode = record.fixed.opcode;
  }
};

void setResult(const char* value) { SetVar(kInstallResultVar, value); }

// Expands the destination; false (message 0 shown) when it would pass 255 characters.
bool expandDestination(Install& s) {
  std::array<char, 4 * kPath> wide{};
  ExpandVars(wide.data(), s.r.destination, wide.size());
  if (std::strlen(wide.data()) >= kPath) {
    FileErrorMessage(wide.data(), 1);
    return false;
  }
  std::memcpy(s.destination, wide.data(), kPath);
  return true;
}

// The checksum of the file at path through the setup program's callback; false when it
// cannot be read or there is no callback.
bool fileChecksum(const char* path, DWORD& sum, DWORD& size) {
  ChecksumCallback checksum = setup().checksumCallback;
  if (!checksum) return false;
  HANDLE file = OpenFileHandle(path, kOpenRead, false);
  if (file == win::INVALID_HANDLE_VALUE) return false;
  std::array<BYTE, kCopyBlockSize> block;
  sum = checksum(0, nullptr, 0);
  size = 0;
  for (DWORD n; (n = FileRead(file, block.data(), block.size())) > 0;) {
    sum = checksum(sum, block.data(), n);
    size += n;
  }
  win::CloseHandle(file);
  return true;
}

// True when both files hold the same bytes.
bool sameBytes(const char* one, const char* other) {
  HANDLE f = OpenFileHandle(one, kOpenRead, false);
  if (f == win::INVALID_HANDLE_VALUE) return false;
  HANDLE g = OpenFileHandle(other, kOpenRead, false);
  if (g == win::INVALID_HANDLE_VALUE) {
    win::CloseHandle(f);
    return false;
  }
  std::array<BYTE, 4096> x, y;
  bool same = true;
  for (;;) {
    DWORD n = FileRead(f, x.data(), x.size());
    DWORD m = FileRead(g, y.data(), y.size());
    if (n != m || std::memcmp(x.data(), y.data(), n) != 0) same = false;
    if (!same || n == 0) break;
  }
  win::CloseHandle(f);
  win::CloseHandle(g);
  return same;
}

// In piece mode a destination of the record's size and checksum, or (version-aware)
// one whose version is not older, is kept.
bool keptByPieceChecks(Install& s) {
  const FileCopyFixed& f = s.r.fixed;
  if (f.checksum != 0 && isFile(s.destination)) {
    DWORD sum = 0, size = 0;
    if (fileChecksum(s.destination, sum, size) && size == f.size && sum == f.checksum) return true;
  }
  if ((s.a & kCopyVersionAware) && f.versionHigh != 0 && isFile(s.destination)) {
    VersionRecord v;
    v.versionHigh = f.versionHigh;
    v.versionLow = f.versionLow;
    v.fileOs = f.fileOs;
    v.fileType = f.fileType;
    v.fileSubtype = f.fileSubtype;
    if (CompareFileVersions(nullptr, s.destination, &v) == 0) return true;
  }
  return false;
}

// The working file's name: an outside source itself, else a new temporary file in
// test mode or the first free side name next to the destination.
bool chooseWorkingFile(Install& s) {
  if ((s.a & kCopyOutsideSource) && (!testMode() || (s.a & kCopySetupTimeFile))) {
    std::array<char, 4 * kPath> wide{};
    ExpandVars(wide.data(), s.r.source, wide.size());
    if (std::strlen(wide.data()) >= kPath) return false;
    std::memcpy(s.working, wide.data(), kPath);
    s.downloaded = win::lstrcmpi(std::string(s.working).substr(0, 6).c_str(), "ftp://") == 0 ||
                   win::lstrcmpi(std::string(s.working).substr(0, 7).c_str(), "http://") == 0;
    return true;
  }
  if (testMode()) {
    s.workingMadeHere = MakeTempFile(s.working, "QDD");
    return s.workingMadeHere;
  }
  return MakeSideFileName(s.working, s.destination);
}

// The copy dialog and the status text.
void showStatus(Install& s) {
  if ((s.a & kCopyQuiet) || setup().silentFlag) return;
  int k = s.kept ? kKeptStatusMessage : (s.downloaded || s.fromPiece) ? kFetchedStatusMessage : kCopyStatusMessage;
  const char* lead = scriptMessage(k);
  const std::string& description = s.r.description(cursor().language);
  const char* what = description.empty() ? scriptMessage(kNoDescriptionMessage) : description.c_str();
  std::string text = std::string(lead ? lead : "") + (what ? what : "") + ":\n" + s.destination;
  if (!mainState().progress) {
    HWND dialog = OpenCopyDialog(s.destination);
    char shown[kPathTextBuffer] = {};
    copyText(shown, sizeof shown, s.destination);
    if (dialog) SetShortenedPathText(win::GetDlgItem(dialog, kCopyStatusControl), shown, sizeof shown);
  } else {
    ShowCopyProgress(text.c_str());
  }
  UpdateScreen(0);
}

// A kept file; shared files on new Windows are still logged and counted.
int keepFile(Install& s) {
  if (s.workingMadeHere) win::DeleteFile(s.working);
  if (s.sharedOnNewWindows) {
    if (!(s.a & kCopySetupTimeFile)) {
      s.log.overwritten = true;
      LogAction(s.log, s.destination);
    }
    if (!testMode() || (s.a & kCopySetupTimeFile)) SharedDllCount(s.destination, true, false);
  }
  if (setup().optionWord & kOptionBytesDoneProgress) setup().bytesDone += s.r.fixed.size;
  return kGoOn;
}

// On NT: an existing destination the user may not change. The file layer answers
// access-denied for a protected path; a busy or read-only file goes on to the placing.
bool protectedOnNt(const Install& s) {
  if (!run().platform.windowsNt) return false;
  DWORD a = win::GetFileAttributes(s.destination);
  if (a == win::INVALID_FILE_ATTRIBUTES || (a & (win::FILE_ATTRIBUTE_DIRECTORY | win::FILE_ATTRIBUTE_READONLY)))
    return false;
  HANDLE file = win::CreateFile(s.destination, win::GENERIC_WRITE,
                                win::FILE_SHARE_READ | win::FILE_SHARE_WRITE | win::FILE_SHARE_DELETE, nullptr,
                                win::OPEN_EXISTING, 0, nullptr);
  if (file != win::INVALID_HANDLE_VALUE) {
    win::CloseHandle(file);
    return false;
  }
  return win::GetLastError() == win::ERROR_ACCESS_DENIED;
}

// The log goes next to the first logged file.
void chooseLogPath(const Install& s) {
  if (LogPath()[0] || testMode() || (s.a & kCopySetupTimeFile) || scriptHeader().noLog) return;
  std::string directory(s.destination, lastBackslash(s.destination) == std::string::npos
                                           ? 0
                                           : lastBackslash(s.destination) + 1);
  SetLogPath(directory + kLogFileName);
}

// Data in the installation file: the working file gets the bytes and the
// record's date. kGoOn, kAbort, or kNextRecord when the run stopped meanwhile.
int fillFromInstallFile(Install& s) {
  const FileCopyFixed& f = s.r.fixed;
  DWORD base = mainState().dataBaseOffset;
  if (f.dataEnd < f.dataStart || std::uint64_t{base} + f.dataEnd > 0xFFFFFFFFu) {
    FileErrorMessage(s.destination, 1);
    return kAbort;
  }
  HANDLE file = OpenFileHandle(s.working, kOpenWrite, true);
  if (file == win::INVALID_HANDLE_VALUE) {
    FileErrorMessage(s.destination, 1);
    return kAbort;
  }
  setup().readOffset = base + f.dataStart;
  SeekInstallFile();
  DWORD saved = setup().optionWord;
  if (s.b & kCopyInFileNoBytesDone) setup().optionWord &= ~kOptionBytesDoneProgress;
  DWORD checksum = f.checksum;
  ReadFromInstallFile(setup().installFile, file, f.dataEnd - f.dataStart, &checksum);
  setup().optionWord = saved;
  SetFileDosDateTime(file, f.dosDate, f.dosTime);
  win::CloseHandle(file);
  if (stopped()) {
    win::DeleteFile(s.working);
    return kNextRecord;
  }
  return kGoOn;
}

// The data piece whose cache file is current (-1: none) and that file's path.
struct PieceCache : RunState {
  int piece = -1;
  char path[kPath] = {};
};

// Forgets the cached piece and deletes its file.
void dropPieceCache(PieceCache& cache) {
  if (cache.path[0]) win::DeleteFile(cache.path);
  cache.piece = -1;
}

// The piece's cache file opened at the piece's first byte, fetched when it is not the
// cached one. kGoOn with file open, kAbort after the message, kNextRecord when the run
// stopped during the fetch.
int openPiece(const FileCopyFixed& f, DWORD savedOptions, HANDLE& file) {
  PieceCache& cache = run().state<PieceCache>();
  int piece = static_cast<int>(f.dataStart & kPieceNumberMask);
  if (cache.piece == piece) {
    if (savedOptions & kOptionBytesDoneProgress) setup().bytesDone += f.size;
  } else {
    dropPieceCache(cache);
    std::string name = PieceName(scriptHeader().pieceBase, piece);
    if (!cache.path[0]) {
      if (!MakeTempFile(cache.path, "QDL")) {
        FileErrorMessage(name, 1);
        return kAbort;
      }
      // Listed so that the end of the run removes it; a full list leaves it in TEMP.
      (void)tempFiles().add(cache.path);
    }
    int fetched = InternetTransfer(name.c_str(), cache.path, static_cast<int>(f.dataEnd), static_cast<int>(f.size), 0, 0);
    if (stopped()) {
      dropPieceCache(cache);
      return kNextRecord;
    }
    if (fetched != kTransferDone) {
      dropPieceCache(cache);
      return kAbort;
    }
  }
  file = OpenFileHandle(cache.path, kOpenRead, false);
  DWORD stamp = 0;
  if (file == win::INVALID_HANDLE_VALUE || FileRead(file, &stamp, sizeof stamp) != sizeof stamp ||
      stamp != scriptHeader().dataStamp) {
    if (file != win::INVALID_HANDLE_VALUE) win::CloseHandle(file);
    dropPieceCache(cache);
    ShowAbortMessage(kPieceStampMessage);
    return kAbort;
  }
  cache.piece = piece;
  FileSeek(file, static_cast<win::LONG>(f.dataStart >> kPieceOffsetShift), win::FILE_BEGIN);
  return kGoOn;
}

// A data piece: the working file gets the piece's bytes and the record's date.
int fillFromPiece(Install& s) {
  const FileCopyFixed& f = s.r.fixed;
  HANDLE working = OpenFileHandle(s.working, kOpenWrite, true);
  if (working == win::INVALID_HANDLE_VALUE) {
    FileErrorMessage(s.destination, 1);
    return kAbort;
  }
  DWORD saved = setup().optionWord;
  setup().optionWord &= ~kOptionBytesDoneProgress;
  HANDLE piece = win::INVALID_HANDLE_VALUE;
  int opened = openPiece(f, saved, piece);
  if (opened != kGoOn) {
    setup().optionWord = saved;
    win::CloseHandle(working);
    win::DeleteFile(s.working);
    return opened;
  }
  DWORD checksum = f.checksum;
  ReadFromInstallFile(piece, working, f.dataEnd, &checksum);
  setup().optionWord = saved;
  SetFileDosDateTime(working, f.dosDate, f.dosTime);
  win::CloseHandle(piece);
  win::CloseHandle(working);
  if (stopped()) {
    win::DeleteFile(s.working);
    return kNextRecord;
  }
  return kGoOn;
}

// The hook library's "f1" may refuse the working file; its error text is shown
// and the working file removed.
int runHook(Install& s) {
  HookProc hook = mainState().hook;
  if (s.r.hook.empty() || !hook) return kGoOn;
  char second[kPath];
  std::memcpy(second, s.working, kPath);
  char error[kHookErrorTextSize] = {};
  const char* const* messages = scriptHeader().messageTable.data();
  if (hook(s.working, s.r.hook.c_str(), second, messages, error) == 0) return kGoOn;
  error[sizeof error - 1] = '\0';
  // An outside source is the user's own file: only a working copy of ours goes.
  bool outside = s.a & kCopyOutsideSource;
  if (!outside || std::strcmp(second, s.working) != 0) win::DeleteFile(second);
  if (!outside) win::DeleteFile(s.working);
  AbortMessage(error);
  return kAbort;
}

// The destination's numbered backup; none when the copy fails.
void makeBackup(Install& s, const char* current) {
  if (!s.backupsOn || (s.a & kCopySetupTimeFile) || !isFile(current)) return;
  std::strncpy(s.backup, current, kPath - 1);
  s.backupMade = CopyFileTo(s.backup, nullptr, s.backup, 0, false, nullptr, nullptr) == kCopyDone;
  if (!s.backupMade) s.backup[0] = '\0';
}

// An outside file: copied to a side name next to the destination, which becomes
// the working file; a download is fetched into it.
int fillSideCopy(Install& s) {
  char side[kPath];
  if (!MakeSideFileName(side, s.destination)) {
    FileErrorMessage(s.destination, 1);
    return kAbort;
  }
  const FileCopyFixed& f = s.r.fixed;
  int copied = kCopyDone;
  if (s.downloaded) {
    int size = static_cast<int>(f.size);
    if (InternetTransfer(s.working, side, size, size, f.dosDate, f.dosTime) != kTransferDone) {
      copied = kCopyNoTarget;
    } else if (HANDLE file = OpenFileHandle(side, kOpenReadWrite, false); file != win::INVALID_HANDLE_VALUE) {
      SetFileDosDateTime(file, f.dosDate, f.dosTime);
      win::CloseHandle(file);
    }
  } else {
    copied = CopyFileTo(s.working, side, nullptr, f.size, false, &s.copiedChecksum, &s.copiedSize);
  }
  if (copied != kCopyDone) {
    win::DeleteFile(side);
    FileErrorMessage(copied == kCopyNoSource ? s.working : s.destination, 0);
    return kAbort;
  }
  s.outsideCopied = true;
  std::memcpy(s.working, side, kPath);
  return kGoOn;
}

// The working file renamed over the destination in one step; a busy destination
// is asked about, then scheduled for the restart or left as it was.
int placePlain(Install& s) {
  s.existed = isFile(s.destination);
  if (testMode() && !(s.a & kCopySetupTimeFile)) {
    win::DeleteFile(s.working);
    return kGoOn;
  }
  makeBackup(s, s.destination);
  if (s.a & kCopyOutsideSource) {
    int filled = fillSideCopy(s);
    if (filled != kGoOn) return filled;
  }
  bool moved = false;
  do {
    win::SetFileAttributes(s.destination, win::FILE_ATTRIBUTE_NORMAL);
    moved = win::MoveFileEx(s.working, s.destination, win::MOVEFILE_REPLACE_EXISTING);
  } while (!moved && AskRetryFile(s.destination, true, &s.log) == kRetryFile);
  if (moved) return kGoOn;
  int scheduled = RenameAtRestart(false, false, s.working, s.destination);
  if (scheduled < 0) {
    win::DeleteFile(s.working);
    return scheduled;
  }
  if (scheduled == kRenameNotScheduled) win::DeleteFile(s.working);
  setResult(kDestinationInUse);
  return kGoOn;
}

std::string directoryOf(const char* path) {
  std::size_t cut = lastBackslash(path);
  return cut == std::string::npos ? std::string() : std::string(path, cut);
}

bool sameText(const std::string& one, const std::string& other) { return win::lstrcmpi(one.c_str(), other.c_str()) == 0; }

// The version installer's directories: where a copy lies now and where the file belongs; shared tells the
// version installer that the file is a shared system file.
struct VersionTarget {
  char current[kPath] = {};
  char destination[kPath] = {};
  bool isPe = false;
  bool shared = false;
};

VersionTarget findTarget(const Install& s, const std::string& name, const std::string& directory) {
  char windows[kPath] = {}, system[kPath] = {};
  win::GetWindowsDirectory(windows, sizeof windows);
  win::GetSystemDirectory(system, sizeof system);
  VersionTarget t;
  t.shared = sameText(directory, windows) || sameText(directory, system);
  win::UINT curLength = kPath, destLength = kPath;
  t.isPe = FindVersionTarget(s.working, t.shared ? win::VFFF_ISSHAREDFILE : 0, name.c_str(), directory.c_str(),
                             directory.c_str(), t.current, &curLength, t.destination, &destLength);
  if (!t.shared) {
    std::strncpy(t.current, directory.c_str(), kPath - 1);
    std::strncpy(t.destination, directory.c_str(), kPath - 1);
  } else {
    if (sameText(t.current, directory) && (s.a & kCopyOutsideSource)) t.current[0] = '\0';
    if (!run().platform.windows9x && !t.isPe && sameText(t.destination, system) && sameText(t.current, system))
      t.current[0] = '\0';
    if (sameText(t.destination, windows)) t.shared = sameText(directoryOf(system), windows);
  }
  if (s.b & kCopyNeverSystemShared) t.shared = false;
  return t;
}

// One pass of the version installer; its result bits with a busy existing file as in use.
DWORD runVersionInstaller(const Install& s, const VersionTarget& t, const std::string& name, const char* tempDir,
                          DWORD flags) {
  const char* workingName = PathFileName(s.working);
  DWORD result = 0;
  for (int pass = 0; pass < 2; ++pass) {
    char temp[kPath] = {};
    win::UINT tempLength = sizeof temp;
    result = InstallFileVersion(t.isPe, flags, workingName, name.c_str(), tempDir, t.destination, t.current, temp,
                                &tempLength);
    char left[kPath];
    if ((result & win::VIF_TEMPFILE) && JoinPath(left, t.destination, temp)) win::DeleteFile(left);
    bool onlyLanguage = (result & win::VIF_DIFFLANG) && !(result & (win::VIF_SRCOLD | win::VIF_FILEINUSE));
    if (!onlyLanguage) break;
    flags |= win::VIFF_FORCEINSTALL;
  }
  DWORD a = win::GetFileAttributes(s.destination);
  if ((result & win::VIF_ACCESSVIOLATION) && a != win::INVALID_FILE_ATTRIBUTES && !(a & win::FILE_ATTRIBUTE_DIRECTORY))
    result |= win::VIF_FILEINUSE;
  return result;
}

// The file placed through the system version installer.
int placeVersionAware(Install& s) {
  std::string name = PathFileName(s.destination);
  std::string directory = directoryOf(s.destination);
  VersionTarget t = findTarget(s, name, directory);
  if (!JoinPath(s.destination, t.destination, name)) {
    FileErrorMessage(std::string(t.destination) + "\\" + name, 1);
    win::DeleteFile(s.working);
    return kAbort;
  }
  char current[kPath];
  if (!t.current[0] || !JoinPath(current, t.current, name)) std::strncpy(current, s.destination, kPath);
  win::SetFileAttributes(current, win::FILE_ATTRIBUTE_NORMAL);
  makeBackup(s, current);
  std::string tempDir = directoryOf(s.working);
  if (tempDir.size() == 2 && tempDir[1] == ':') tempDir += '\\';
  s.existed = isFile(s.destination);
  DWORD flags = t.shared ? 0 : win::VIFF_DONTDELETEOLD;
  DWORD result = 0;
  bool inUse = false;
  do {
    result = runVersionInstaller(s, t, name, tempDir.c_str(), flags);
    inUse = result & win::VIF_FILEINUSE;
  } while (AskRetryFile(s.destination, inUse, &s.log) == kRetryFile);
  bool waitsForRestart = false;
  if (result & ~win::VIF_TEMPFILE) {
    if (inUse) {
      int scheduled = RenameAtRestart(true, s.a & kCopyOutsideSource, s.working, s.destination);
      if (scheduled < 0) {
        if (!(s.a & kCopyOutsideSource)) win::DeleteFile(s.working);
        return scheduled;
      }
      waitsForRestart = scheduled == kRenameScheduled && !(s.a & kCopyOutsideSource);
      setResult(kDestinationInUse);
    } else {
      setResult(kRefusedByVersion);
      if (!(s.a & kCopySetupTimeFile) && LogIsOpen() && !LogIsSuspended()) {
        LogText(kVersionNotCopiedLine);
        s.blankBeforeLine = !s.sharedOnNewWindows;
      }
    }
    if (s.backupMade) win::DeleteFile(s.backup);
    s.backupMade = false;
  }
  if (!(s.a & kCopyOutsideSource) && !waitsForRestart) win::DeleteFile(s.working);
  return kGoOn;
}

// The backup is the installed file's twin: size, checksum and bytes.
bool backupIdentical(const Install& s) {
  DWORD sum = 0, size = 0;
  if (!fileChecksum(s.backup, sum, size)) return false;
  DWORD wantSize = s.outsideCopied ? s.copiedSize : s.r.fixed.size;
  DWORD wantSum = s.outsideCopied ? s.copiedChecksum : s.r.fixed.checksum;
  return size == wantSize && sum == wantSum && sameBytes(s.backup, s.destination);
}

// Counters, the self-registration queue, the log lines and the backup's fate.
int tail(Install& s) {
  bool counted = !testMode() || (s.a & kCopySetupTimeFile);
  if (run().platform.majorAbove3 && counted) SharedDllCount(s.destination, s.existed, !(s.a & kCopySharedFile));
  if ((s.b & kCopySelfRegister) && !testMode()) QueueSelfRegister(s.destination);
  if (s.a & kCopySetupTimeFile) return kGoOn;
  s.log.overwritten = s.existed;
  if (s.blankBeforeLine) LogText(" ");
  LogAction(s.log, s.destination);
  if (s.backupMade) {
    if (s.log.inUse || backupIdentical(s))
      win::DeleteFile(s.backup);
    else
      LogAction(s.log, s.backup, s.backup);
  }
  return kGoOn;
}

}  // namespace

int InstallFile(const FileCopyRecord& record) {
  Install s(record);
  setResult(kInstalled);
  s.backupsOn = FindBackupDirVar() >= 0;
  if (!expandDestination(s)) return kAbort;
  s.sharedOnNewWindows = (s.a & kCopySharedFile) && run().platform.majorAbove3;
  bool pieceMode = (setup().optionWord & kOptionPieceMode) && !(s.b & (kCopyInFileNoBytesDone | kCopyInInstallFile)) &&
                   !(s.a & kCopyOutsideSource);
  s.fromPiece = pieceMode;
  if (pieceMode && keptByPieceChecks(s)) s.kept = true;
  s.existed = isFile(s.destination);
  if (!s.kept && (s.a & kCopyDateBits) == kCopyDateBits && s.existed) {
    setResult(kKeptBothDateBits);
    s.kept = true;
  }
  if (s.kept) {
    showStatus(s);
    return keepFile(s);
  }
  if (!testMode()) MakeDirectoryPath(s.destination);
  if (!chooseWorkingFile(s)) {
    FileErrorMessage(s.destination, 1);
    return kAbort;
  }
  BYTE dateRule = s.a & kCopyDateBits;
  if (dateRule == kCopyNewerOnly || dateRule == kCopyEqualDateWins) {
    FileDateRecord d{s.a, record.fixed.dosDate, record.fixed.dosTime};
    if (CheckFileDate(s.destination, s.working, d, s.downloaded || s.fromPiece, s.sharedOnNewWindows)) {
      setResult(kKeptByDate);
      s.kept = true;
    }
  }
  showStatus(s);
  if (s.kept) return keepFile(s);
  if (protectedOnNt(s)) {
    if (s.workingMadeHere) win::DeleteFile(s.working);
    FileErrorMessage(s.destination, 1);
    return kAbort;
  }
  chooseLogPath(s);
  int filled = (s.a & kCopyOutsideSource) ? kGoOn : s.fromPiece ? fillFromPiece(s) : fillFromInstallFile(s);
  if (filled == kNextRecord) return kGoOn;
  if (filled != kGoOn) {
    win::DeleteFile(s.working);
    return filled;
  }
  if (!(s.a & kCopyQuiet) && !setup().silentFlag) UpdateScreen(1);
  if (int hooked = runHook(s); hooked != kGoOn) return hooked;
  int placed = (s.a & kCopyVersionAware) && !testMode() ? placeVersionAware(s) : placePlain(s);
  if (placed != kGoOn) return placed;
  return tail(s);
}

namespace {

constexpr DWORD kFindAll = 7;  // read-only, hidden and system entries too

struct Found {
  std::string path;
  bool directory = false;
};

// The matches of pattern with names Windows can hold, links left out ("." and ".." too).
std::vector<Found> matches(const std::string& pattern) {
  std::vector<Found> out;
  std::string directory = pattern.substr(0, lastBackslash(pattern) == std::string::npos ? 0 : lastBackslash(pattern) + 1);
  FindRecord found;
  for (int r = FindFirst(pattern.c_str(), kFindAll, found); r == kFound; r = FindNext(found)) {
    std::string name = found.name;
    if (name == "." || name == ".." || !win::isValidWindowsName(name)) continue;
    if (found.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT) continue;
    out.push_back({directory + name, (found.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0});
  }
  FindEnd(found);
  return out;
}

// The record's destination followed by the part of path after the base length, with one
// backslash between them.
std::string treeDestination(const FileCopyRecord& r, const std::string& path, std::size_t base) {
  std::string rest = path.substr(std::min(base, path.size()));
  if (rest.empty() || rest[0] != '\\') rest.insert(0, 1, '\\');
  return r.destination + rest;
}

// The walk's directories already visited (absolute, upper case).
struct TreeWalk {
  std::vector<std::string> visited;
  bool firstVisit(const std::string& directory) {
    std::string key = fullPathName(directory).value_or(directory);
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& v : visited)
      if (v == key) return false;
    visited.push_back(key);
    return true;
  }
};

int installTree(const FileCopyRecord& r, const std::string& pattern, std::size_t base, TreeWalk& walk) {
  std::size_t cut = lastBackslash(pattern);
  std::string directory = cut == std::string::npos ? std::string() : pattern.substr(0, cut);
  std::string filePart = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  if (!walk.firstVisit(directory.empty() ? "." : directory)) return kGoOn;
  bool any = false;
  for (const Found& f : matches(pattern)) {
    if (stopped()) return kGoOn;
    if (f.directory) continue;
    any = true;
    FileCopyRecord copy;
    copy.fixed = r.fixed;
    copy.destination = treeDestination(r, f.path, base);
    copy.descriptions = r.descriptions;
    copy.source = f.path;
    if (f.path.size() >= kPath) {
      FileErrorMessage(copy.destination, 1);
      return kAbort;
    }
    DWORD position = cursor().position;
    int result = InstallFile(copy);
    cursor().position = position;
    if (result != kGoOn) return result;
  }
  if (r.fixed.flagsB & kCopyDescend) {
    for (const Found& f : matches((directory.empty() ? std::string() : directory + "\\") + "*.*")) {
      if (stopped()) return kGoOn;
      if (!f.directory || PathFileName(f.path.c_str())[0] == '.') continue;
      any = true;
      int result = installTree(r, f.path + "\\" + filePart, base, walk);
      if (result != kGoOn) return result;
    }
  }
  if (!any) {
    char made[kPath];
    std::string target = treeDestination(r, directory, base) + "\\";
    ExpandVars256(made, target);
    if (target.size() < kPath) MakeDirectoryPath(made);
  }
  return kGoOn;
}

}  // namespace

int InstallDirectoryTree(const FileCopyRecord& record, const std::string& pattern, std::size_t baseLength) {
  TreeWalk walk;
  return installTree(record, pattern, baseLength, walk);
}

int InstallFileRecord(const Record& record) {
  FileCopyRecord r;
  ScriptImage image = ScriptImage::of(run());
  if (!ReadFileCopyRecord(image, record.at(), cursor().languages, r)) return kNextRecord;
  int result = kGoOn;
  if (r.fixed.flagsB & kCopyDirectoryInstall) {
    char pattern[kPath];
    ExpandVars256(pattern, r.source);
    std::size_t cut = lastBackslash(pattern);
    result = InstallDirectoryTree(r, pattern, cut == std::string::npos ? 0 : cut);
  } else {
    result = InstallFile(r);
  }
  return result == kGoOn ? kNextRecord : result;
}

}  // namespace merl
