// VerFindFile and VerInstallFile over the machine's file calls.
#include <cstring>
#include <string>

#include "fail.h"
#include "win/constants.h"
#include "win/error.h"
#include "win/files.h"
#include "win/version.h"

namespace win {
namespace {

std::string joined(const char* dir, const char* name) {
  std::string path = dir ? dir : "";
  if (!path.empty() && path.back() != '\\' && path.back() != ':') path += '\\';
  return path + (name ? name : "");
}

bool exists(const std::string& path) {
  DWORD a = GetFileAttributes(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Copies text into buffer of *size bytes; sets *size to the bytes with the NUL. False when cut.
bool fill(LPSTR buffer, PUINT size, const std::string& text) {
  if (!size) return false;
  UINT capacity = *size;
  *size = static_cast<UINT>(text.size() + 1);
  if (!buffer || capacity == 0) return false;
  std::size_t n = text.size() < capacity ? text.size() : capacity - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return n == text.size();
}

bool sameDir(std::string a, std::string b) {
  auto norm = [](std::string& s) {
    while (!s.empty() && s.back() == '\\') s.pop_back();
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  };
  norm(a);
  norm(b);
  return a == b;
}

struct FileVersion {
  bool present = false;
  VS_FIXEDFILEINFO fixed{};
  DWORD translation = 0;  // language in the low word, code page in the high word
};

FileVersion versionOf(const std::string& path) {
  FileVersion v;
  DWORD size = GetFileVersionInfoSize(path.c_str(), nullptr);
  if (size == 0) return v;
  std::vector<std::uint8_t> block(size);
  void* value = nullptr;
  UINT len = 0;
  if (!GetFileVersionInfo(path.c_str(), 0, size, block.data()) ||
      !VerQueryValue(block.data(), "\\", &value, &len))
    return v;
  v.present = true;
  std::memcpy(&v.fixed, value, sizeof v.fixed);
  if (VerQueryValue(block.data(), "\\VarFileInfo\\Translation", &value, &len) && len >= 4)
    std::memcpy(&v.translation, value, 4);
  return v;
}

// The mismatch bits of installing fresh over existing.
DWORD mismatch(const FileVersion& fresh, const FileVersion& existing) {
  if (!fresh.present || !existing.present) return 0;
  DWORD bits = 0;
  auto version = [](const VS_FIXEDFILEINFO& f) {
    return static_cast<std::uint64_t>(f.dwFileVersionMS) << 32 | f.dwFileVersionLS;
  };
  if (version(existing.fixed) > version(fresh.fixed)) bits |= VIF_SRCOLD;
  if (existing.translation && fresh.translation && (existing.translation & 0xFFFF) != (fresh.translation & 0xFFFF))
    bits |= VIF_DIFFLANG;
  if (existing.fixed.dwFileType != fresh.fixed.dwFileType || existing.fixed.dwFileSubtype != fresh.fixed.dwFileSubtype)
    bits |= VIF_DIFFTYPE;
  return bits ? bits | VIF_MISMATCH : 0;
}

// The bits of a replacement refused with the current last error.
DWORD replaceFailure(const std::string& destination) {
  DWORD error = GetLastError();
  if (error == ERROR_SHARING_VIOLATION) return VIF_FILEINUSE;
  DWORD a = GetFileAttributes(destination.c_str());
  if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY)) return VIF_WRITEPROT;
  if (error == ERROR_ACCESS_DENIED) return VIF_ACCESSVIOLATION;
  return VIF_CANNOTRENAME;
}

}  // namespace

DWORD VerFindFile(DWORD uFlags, LPCSTR szFileName, LPCSTR szWinDir, LPCSTR szAppDir, LPSTR szCurDir,
                  PUINT puCurDirLen, LPSTR szDestDir, PUINT puDestDirLen) {
  char system[MAX_PATH] = {};
  GetSystemDirectory(system, MAX_PATH);
  std::string dest = (uFlags & VFFF_ISSHAREDFILE) ? system : (szAppDir ? szAppDir : "");
  std::string current;
  for (std::string dir : {dest, std::string(szWinDir ? szWinDir : ""), std::string(system)})
    if (!dir.empty() && exists(joined(dir.c_str(), szFileName))) {
      current = dir;
      break;
    }
  DWORD result = 0;
  if (!current.empty() && !sameDir(current, dest)) result |= VFF_CURNEDEST;
  if (!fill(szCurDir, puCurDirLen, current)) result |= VFF_BUFFTOOSMALL;
  if (!fill(szDestDir, puDestDirLen, dest)) result |= VFF_BUFFTOOSMALL;
  return result;
}

DWORD VerInstallFile(DWORD uFlags, LPCSTR szSrcFileName, LPCSTR szDestFileName, LPCSTR szSrcDir, LPCSTR szDestDir,
                     LPCSTR szCurDir, LPSTR szTmpFile, PUINT puTmpFileLen) {
  if (!szSrcFileName || !szDestFileName || !szDestDir || !puTmpFileLen) return VIF_CANNOTREADSRC;
  const std::string source = joined(szSrcDir, szSrcFileName);
  const std::string destination = joined(szDestDir, szDestFileName);
  if (!exists(source)) return VIF_CANNOTREADSRC;
  char temp[MAX_PATH] = {};
  if (GetTempFileName(szDestDir, kVersionTempPrefix, 0, temp) == 0) return VIF_CANNOTCREATE;
  if (!CopyFile(source.c_str(), temp, FALSE)) {
    DWORD error = GetLastError();
    DeleteFile(temp);
    return error == ERROR_READ_FAULT ? VIF_CANNOTREADSRC : VIF_CANNOTCREATE;
  }
  const char* slash = std::strrchr(temp, '\\');
  std::string tempName = slash ? slash + 1 : temp;
  if (!fill(szTmpFile, puTmpFileLen, tempName)) {
    DeleteFile(temp);
    return VIF_BUFFTOOSMALL;
  }
  if (!(uFlags & VIFF_FORCEINSTALL) && exists(destination)) {
    DWORD bits = mismatch(versionOf(temp), versionOf(destination));
    if (bits) return bits | VIF_TEMPFILE;
  }
  if (!MoveFileEx(temp, destination.c_str(), MOVEFILE_REPLACE_EXISTING)) return replaceFailure(destination) | VIF_TEMPFILE;
  *puTmpFileLen = 0;
  if (szTmpFile) szTmpFile[0] = '\0';
  if (!(uFlags & VIFF_DONTDELETEOLD) && szCurDir && *szCurDir && !sameDir(szCurDir, szDestDir)) {
    std::string old = joined(szCurDir, szDestFileName);
    if (exists(old) && !DeleteFile(old.c_str())) return VIF_CANNOTDELETECUR;
  }
  return 0;
}

}  // namespace win
