// The installation log writer: the run's log state, the line kinds of each
// record family, the close with its append, and the opcode-30 switch.
#include "log/install_log.h"

#include <string>

#include "constants.h"
#include "files/copy_file_to.h"
#include "files/file_utils.h"
#include "files/temp_files.h"
#include "log/log_sink.h"
#include "run.h"
#include "script/expansion.h"
#include "system/admin_rights.h"
#include "text/copy_text.h"
#include "text/date_text.h"
#include "win/library.h"

namespace merl {

namespace {

struct InstallLog : RunState {
  HANDLE handle = win::INVALID_HANDLE_VALUE;
  bool suspended = false;
  char logPath[kPathBufferSize] = {};
  char tempPath[kPathBufferSize] = {};
  LogSettings settings;

  ~InstallLog() override {
    if (handle != win::INVALID_HANDLE_VALUE) win::CloseHandle(handle);
  }
};

InstallLog& logState() { return run().state<InstallLog>(); }

bool testState() { return run().runState == kStateTest; }

// A field cut to one log line's size, CR and LF made blanks.
std::string field(std::string_view text) { return logField(text.substr(0, kLogLineSize)); }

void writeRaw(std::string_view text) {
  InstallLog& log = logState();
  if (log.handle == win::INVALID_HANDLE_VALUE || log.suspended || text.empty()) return;
  FileWrite(log.handle, text.data(), static_cast<DWORD>(text.size()));
}

std::string moduleSource() {
  char path[kPathBufferSize] = {};
  SetupRec* setup = run().setup();
  DWORD n = win::GetModuleFileName(setup ? setup->setupInstance : nullptr, path, kPathBufferSize);
  if (n >= kPathBufferSize) path[0] = 0;
  return path;
}

void writeHeader() {
  const LogSettings& s = logState().settings;
  char when[64];
  FormatDateTimeNow(when, sizeof when, false);
  std::string source = s.source.empty() ? moduleSource() : s.source;
  writeRaw("***  Installation Started " + field(when) + "  ***\r\nTitle: " + field(s.title) + "\r\nSource: " +
           field(source) + "\r\n");
  char mif[kPathBufferSize];
  ExpandVars256(mif, s.uninstallMif);
  if (!*mif) return;
  writeRaw("Uninstall MIF: " + field(mif) + "\r\nManufacturer: " + field(s.manufacturer) +
           "\r\nProduct: " + field(s.product) + "\r\nVersion Number: " + field(s.version) +
           "\r\nSerial Number: " + field(s.serial) + "\r\n");
}

bool openNew(const char* prefix) {
  char temp[kPathBufferSize];
  if (!MakeTempFile(temp, prefix)) return false;
  if (OpenLog(temp)) return true;
  win::DeleteFile(temp);
  return false;
}

std::string installFileLine(const LogRecord& record, std::string_view path, std::string_view backup) {
  if (!backup.empty()) return "Backup Copy: " + field(path) + "\r\n";
  if (record.inUse) return "In Use: " + field(path) + " Not Copied\r\n";
  return std::string("File ") + (record.overwritten ? "Overwrite" : "Copy") + ": " + field(path) + "\r\n";
}

// The text between the first open and the first close after it; npos start when there is none.
std::string progmanLine(std::string_view command) {
  if (command.size() < 2) return {};
  if (command[1] == 'C') {
    std::size_t open = command.find('(');
    std::size_t close = open == std::string_view::npos ? open : command.find(')', open + 1);
    if (close == std::string_view::npos) return {};
    std::string_view group = command.substr(open + 1, close - open - 1);
    group = group.substr(0, group.find(','));
    return "Icon Group: " + field(group) + "\r\n";
  }
  if (command[1] == 'A') {
    std::size_t open = command.find('(');
    std::size_t first = command.find(',');
    std::size_t second = first == std::string_view::npos ? first : command.find(',', first + 1);
    if (open == std::string_view::npos || second == std::string_view::npos || open > first) return {};
    return "Icon Name: " + field(command.substr(first + 1, second - first - 1)) +
           "\r\nIcon Cmd: " + field(command.substr(open + 1, first - open - 1)) + "\r\n";
  }
  return {};
}

std::string iniLine(std::string_view file, std::string_view section, std::string_view item, std::string_view value,
                    std::string_view old) {
  std::string line = "INI File: " + field(file) + "\r\nINI Sect: " + field(section) + "\r\nINI Item: " +
                     field(item) + "\r\nINI Val: " + field(value);
  if (!old.empty()) line += "\r\nINI Old: " + field(old);
  return line + "\r\n";
}

std::string registryLine(const LogRecord& record, std::string_view key, std::string_view value,
                         std::string_view name, std::string_view type, std::string_view olds) {
  if (record.flags & kRegistryRemoveFlag) return "Remove Key: " + field(key) + "\r\n";
  if (record.oldValueUnknown) return {};
  std::string line = "RegDB Key: " + field(key) + "\r\nRegDB Val: " + field(value);
  if (!name.empty()) line += "\r\nRegDB Name: " + field(name);
  char typeDigit = type.empty() ? '0' : type[0];
  if (typeDigit != '0') line += std::string("\r\nRegDB Type: ") + typeDigit;
  if (record.flags != 0) line += "\r\nRegDB Root: " + std::to_string(record.flags & 0x3F);
  line += "\r\n";
  // The old values: NUL-ended strings up to an empty one, never past the view.
  std::size_t at = 0;
  while (at < olds.size()) {
    std::size_t end = olds.find('\0', at);
    std::string_view old = olds.substr(at, end == std::string_view::npos ? olds.size() - at : end - at);
    if (old.empty()) break;
    line += "RegDB Old: " + field(old) + "\r\n";
    if (typeDigit != '2' || end == std::string_view::npos) break;
    at = end + 1;
  }
  return line;
}

}  // namespace

std::string logField(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

bool StartInstallLog(const LogSettings& settings) {
  InstallLog& log = logState();
  log.settings = settings;
  copyText(log.logPath, kPathBufferSize, settings.logPath);
  if (testState() || settings.noLog) return false;
  return openNew("QDG");
}

bool OpenLog(const char* tempPath) {
  InstallLog& log = logState();
  HANDLE file = OpenFileHandle(tempPath, kOpenWrite, true);
  if (file == win::INVALID_HANDLE_VALUE) return false;
  log.handle = file;
  log.suspended = false;
  copyText(log.tempPath, kPathBufferSize, tempPath);
  setLogLineWriter([](std::string_view text) { LogLine(text); });
  writeHeader();
  return true;
}

void LogLine(std::string_view text) {
  if (!LogIsOpen() || LogIsSuspended()) return;
  writeRaw(std::string(text) + "\r\n");
}

void LogText(std::string_view text) { writeRaw(text); }

void LogFinalLine(std::string_view text) { LogLine(field(text)); }

void LogAction(const LogRecord& record, std::string_view path, std::string_view second, std::string_view third,
               std::string_view fourth, std::string_view fifth) {
  if (!LogIsOpen() || LogIsSuspended()) return;
  switch (record.opcode) {
    case kOpInstallFile:
    case kOpInstallSource:
      writeRaw(installFileLine(record, path, second));
      break;
    case kOpProgman:
      writeRaw(progmanLine(path));
      break;
    case kOpIni:
      writeRaw(iniLine(path, second, third, fourth, fifth));
      break;
    case kOpRegistry:
      writeRaw(registryLine(record, path, second, third, fourth, fifth));
      break;
    default:
      break;
  }
}

void CloseLog() {
  InstallLog& log = logState();
  if (log.handle == win::INVALID_HANDLE_VALUE) return;
  if (run().platform.windowsNt && CheckAdminRights()) LogLine("User Rights: Admin");
  setLogLineWriter({});
  win::CloseHandle(log.handle);
  log.handle = win::INVALID_HANDLE_VALUE;
  // A suspended log is appended too: suspension only stops new lines.
  log.suspended = false;
  char target[kPathBufferSize];
  ExpandVars256(target, log.logPath);
  bool keepTemp = false;
  if (*target && !testState()) {
    SetupRec* setup = run().setup();
    DWORD abortFlag = setup ? setup->abortFlag : 0;
    BYTE errorByte = setup ? setup->errorByte : 0;
    if (setup) setup->abortFlag = 0, setup->errorByte = 0;
    char source[kPathBufferSize];
    copyText(source, kPathBufferSize, log.tempPath);
    keepTemp = CopyFileTo(source, target, nullptr, 0, true, nullptr, nullptr) != kCopyDone;
    if (setup) setup->abortFlag = abortFlag, setup->errorByte = errorByte;
  }
  if (!keepTemp) win::DeleteFile(log.tempPath);
  log.tempPath[0] = 0;
}

void SwitchLog(DWORD value, std::string_view path) {
  InstallLog& log = logState();
  if (value == 1 || value == 0) {
    log.suspended = value == 1;
    return;
  }
  if (testState() || log.settings.noLog) {
    copyText(log.logPath, kPathBufferSize, path);
    return;
  }
  CloseLog();
  copyText(log.logPath, kPathBufferSize, path);
  openNew("QDI");
}

void SetLogPath(std::string_view path) { copyText(logState().logPath, kPathBufferSize, path); }
const char* LogPath() { return logState().logPath; }
bool LogIsOpen() { return logState().handle != win::INVALID_HANDLE_VALUE; }
HANDLE LogHandle() { return logState().handle; }
bool LogIsSuspended() { return logState().suspended; }
const char* TempLogPath() { return logState().tempPath; }

}  // namespace merl
