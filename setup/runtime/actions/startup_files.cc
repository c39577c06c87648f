// The start-up edits' shared routines: whole lines in and out, the boot drive
// and its fallbacks, and the one place a finished copy is put in place.
#include "actions/startup_files.h"

#include "constants.h"
#include "files/backup_edited_file.h"
#include "files/file_utils.h"
#include "files/paths.h"
#include "script/variables.h"
#include "text/path_text.h"
#include "ui/file_error_message.h"
#include "win/process.h"

namespace merl {

namespace {

constexpr std::size_t kReadChunk = 30720;

bool isDrive(std::string_view text) {
  return text.size() >= 3 && ((text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z')) &&
         text[1] == ':' && text[2] == '\\';
}

// "X:\" of the boot drive: COMSPEC's drive, else the system directory's, else C:.
std::string bootRoot() {
  char text[kPathBufferSize] = {};
  DWORD n = win::GetEnvironmentVariable("COMSPEC", text, sizeof text);
  std::string_view comspec(text, n < sizeof text ? n : 0);
  std::string root = "C:\\";
  if (isDrive(comspec)) {
    root = std::string(comspec.substr(0, 3));
  } else {
    char system[kPathBufferSize] = {};
    win::UINT m = win::GetSystemDirectory(system, sizeof system);
    std::string_view dir(system, m < sizeof system ? m : 0);
    if (dir.size() >= 2 && dir[1] == ':') {
      std::string drive = std::string(dir.substr(0, 2)) + "\\";
      if (isDrive(drive)) root = drive;
    }
  }
  root[0] = upperAscii(root[0]);
  return root;
}

win::HANDLE openForReading(const std::string& path) { return OpenFileHandle(path.c_str(), kOpenRead, false); }

// Whether a temporary copy can be made in root (the probe is deleted again).
bool canCreateIn(const std::string& root) {
  std::string probe = root + kStartupTempName;
  win::HANDLE h = OpenFileHandle(probe.c_str(), kOpenWrite, true);
  if (h == win::INVALID_HANDLE_VALUE) return false;
  win::CloseHandle(h);
  win::DeleteFile(probe.c_str());
  return true;
}

}  // namespace

void SetRestartValue(char value) {
  if (value == 0) return;
  if (value == 'W') {
    char now[kValueSlotSize];
    GetVar("RESTART", now, sizeof now);
    if (now[0] == 'S') return;
  }
  SetVar("RESTART", std::string(1, value));
}

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view skipBlanks(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  return text;
}

std::string_view trimBlanks(std::string_view text) {
  text = skipBlanks(text);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool ReadTextLines(win::HANDLE file, std::vector<std::string>& lines) {
  lines.clear();
  std::string bytes;
  std::vector<char> chunk(kReadChunk);
  for (;;) {
    DWORD got = 0;
    if (!win::ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) return false;
    if (got == 0) break;
    if (bytes.size() + got > kStartupFileLimit) return false;
    bytes.append(chunk.data(), got);
  }
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1);
  }
  return true;
}

int WriteTextLine(win::HANDLE file, std::string_view text) {
  std::string line(text);
  line += "\r\n";
  DWORD done = 0;
  if (!win::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &done, nullptr) || done != line.size())
    return -1;
  return static_cast<int>(done);
}

bool OpenBootDriveFile(const char* name, EditedFile& file) {
  std::string root = bootRoot();
  file.path = root + name;
  std::string chosen = root;
  file.read = openForReading(chosen + name);
  if (!file.existed()) {
    chosen[0] = 'C';
    file.read = openForReading(chosen + name);
  }
  if (!file.existed()) {
    // A new file goes to the boot drive, else C:, else A:.
    if (canCreateIn(root)) {
      chosen = root;
    } else if (!canCreateIn(chosen)) {
      chosen[0] = 'A';
      file.read = openForReading(chosen + name);
      if (!file.existed() && !canCreateIn(chosen)) return false;
    }
  }
  file.path = chosen + name;
  file.tempPath = chosen + kStartupTempName;
  file.write = OpenFileHandle(file.tempPath.c_str(), kOpenWrite, true);
  if (file.write == win::INVALID_HANDLE_VALUE) {
    if (file.existed()) win::CloseHandle(file.read);
    file.read = win::INVALID_HANDLE_VALUE;
    file.path = root + name;
    return false;
  }
  return true;
}

bool OpenFileBeside(const std::string& path, const char* tempName, bool mustExist, EditedFile& file) {
  file.path = path;
  file.read = openForReading(path);
  if (mustExist && !file.existed()) return false;
  std::string directory = path.substr(0, lastBackslash(path) == std::string::npos ? 0 : lastBackslash(path) + 1);
  char temp[kPathBufferSize];
  if (!JoinPath(temp, directory, tempName)) {
    if (file.existed()) win::CloseHandle(file.read);
    file.read = win::INVALID_HANDLE_VALUE;
    return false;
  }
  file.tempPath = temp;
  file.write = OpenFileHandle(temp, kOpenWrite, true);
  if (file.write == win::INVALID_HANDLE_VALUE) {
    if (file.existed()) win::CloseHandle(file.read);
    file.read = win::INVALID_HANDLE_VALUE;
    return false;
  }
  return true;
}

int FailEdit(EditedFile& file) {
  CloseAndDeleteTemp(file.read, file.write, file.tempPath.c_str());
  file.read = file.write = win::INVALID_HANDLE_VALUE;
  return FileErrorMessage(file.path, 0);
}

int FinishEdit(ActionParams& params, EditedFile& file, const std::vector<std::string>& lines, bool changed,
               const EditOutcome& outcome) {
  if (!changed) {
    CloseAndDeleteTemp(file.read, file.write, file.tempPath.c_str());
    file.read = file.write = win::INVALID_HANDLE_VALUE;
    return 0;
  }
  for (const std::string& line : lines)
    if (WriteTextLine(file.write, line) < 0) return FailEdit(file);
  bool existed = file.existed();
  if (existed) win::CloseHandle(file.read);
  win::CloseHandle(file.write);
  file.read = file.write = win::INVALID_HANDLE_VALUE;
  bool noBackup = !existed || !outcome.backup || (outcome.editedFlag & params.editedFileFlags) != 0;
  if (!BackupEditedFile(file.path.c_str(), file.tempPath.c_str(), noBackup, outcome.leadLine))
    return FileErrorMessage(file.path, 0);
  if (!noBackup) params.editedFileFlags = static_cast<WORD>(params.editedFileFlags | outcome.editedFlag);
  SetRestartValue(outcome.restart);
  return 0;
}

}  // namespace merl
