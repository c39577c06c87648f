// The predefined variables: the first three slots through FindVar, the
// directories and the rest appended with SetVar. FONTS tries the registry's
// shared directory with a probe file, critical-error boxes off.
#include "script/predefined_variables.h"

#include <string>

#include "files/file_utils.h"
#include "files/temp_files.h"
#include "run.h"
#include "script/variables.h"
#include "text/copy_text.h"
#include "text/path_text.h"
#include "win/error.h"
#include "win/files.h"
#include "win/library.h"
#include "win/registry.h"

namespace merl {

namespace {

constexpr char kSetupKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Setup";
constexpr char kSharedDirValue[] = "SharedDir";
constexpr char kFontsSuffix[] = "\\Fonts";
constexpr char kFontsProbe[] = "QDTXINST.%$E";
constexpr char kFirstDisk[] = "1";

using Buffer = char[kPathBufferSize];

// Stores a directory value without its final backslash.
void setDirectory(const char* name, char* value) {
  cutTrailingBackslash(value);
  SetVar(name, value);
}

// The Windows or System directory; "" when it does not fit.
void windowsFolder(win::UINT (*get)(win::LPSTR, win::UINT), Buffer& out) {
  win::UINT n = get(out, kPathBufferSize);
  if (n == 0 || n >= kPathBufferSize) out[0] = '\0';
}

void temporaryDirectory(Buffer& out) {
  if (MakeTempFile(out)) return;
  win::DWORD n = win::GetTempPath(kPathBufferSize, out);
  if (n == 0 || n >= kPathBufferSize) out[0] = '\0';
}

void moduleDirectory(Buffer& out) {
  SetupRec* setup = run().setup();
  win::DWORD n = win::GetModuleFileName(setup ? setup->setupInstance : nullptr, out, kPathBufferSize);
  if (n == 0 || n >= kPathBufferSize) out[0] = '\0';
  CutFileName(out);
}

// The registry's shared directory without a final backslash; "" when it cannot be read whole.
std::string sharedDirectory() {
  win::UniqueKey key;
  if (win::RegOpenKeyEx(win::HKEY_LOCAL_MACHINE, kSetupKey, 0, win::KEY_QUERY_VALUE, key.put()) != win::ERROR_SUCCESS)
    return "";
  Buffer value = {};
  win::DWORD type = 0;
  win::DWORD size = sizeof value - 1;
  if (win::RegQueryValueEx(key.get(), kSharedDirValue, nullptr, &type, reinterpret_cast<win::BYTE*>(value), &size) !=
          win::ERROR_SUCCESS ||
      (type != win::REG_SZ && type != win::REG_EXPAND_SZ))
    return "";
  value[size] = '\0';
  cutTrailingBackslash(value);
  return value;
}

// True when a file can be made (and is removed again) in directory.
bool canCreateFileIn(const std::string& directory) {
  std::string probe = directory + "\\" + kFontsProbe;
  win::UINT oldMode = win::SetErrorMode(win::SEM_FAILCRITICALERRORS);
  win::HANDLE file = OpenFileHandle(probe.c_str(), kOpenWrite, true);
  bool made = file != win::INVALID_HANDLE_VALUE;
  if (made) {
    win::CloseHandle(file);
    win::DeleteFile(probe.c_str());
  }
  win::SetErrorMode(oldMode);
  return made;
}

std::string value(const char* name) {
  Buffer text;
  GetVar(name, text, sizeof text);
  return text;
}

std::string fontsDirectory() {
  if (!run().platform.majorAbove3) return value("SYS");
  std::string shared = sharedDirectory();
  if (!shared.empty()) {
    std::string fonts = shared + kFontsSuffix;
    if (canCreateFileIn(fonts)) return fonts;
  }
  return value("WIN") + kFontsSuffix;
}

}  // namespace

void SetPredefinedDirectories() {
  FindVar("%CMDLINE%");
  FindVar("%LANGUAGES%");
  copyText(FindVar("%%"), kValueSlotSize, "%");
  Buffer text;
  windowsFolder(win::GetWindowsDirectory, text);
  setDirectory("WIN", text);
  windowsFolder(win::GetSystemDirectory, text);
  setDirectory("SYS", text);
  windowsFolder(win::GetSystemDirectory, text);
  setDirectory("SYS32", text);
  temporaryDirectory(text);
  setDirectory("TEMP", text);
  moduleDirectory(text);
  setDirectory("INST", text);
}

void SetFontsAndDiskNumber() {
  SetVar("FONTS", fontsDirectory());
  SetVar("DISK_NUMBER", kFirstDisk);
}

void SetPredefinedVariables() {
  SetPredefinedDirectories();
  SetFontsAndDiskNumber();
}

}  // namespace merl
