#include "system/vxd_device.h"

#include <optional>

#include "log/path_names.h"
#include "win/access_rights.h"
#include "win/files.h"

namespace remvex {

namespace {

constexpr const char* kTempName = "~QDTX383.TMP";

std::optional<std::string> readWhole(const std::string& path) {
  win::HANDLE file = win::CreateFile(path.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                     win::OPEN_EXISTING, win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char block[4096];
  for (;;) {
    win::DWORD got = 0;
    if (!win::ReadFile(file, block, sizeof block, &got, nullptr)) {
      win::CloseHandle(file);
      return std::nullopt;
    }
    if (got == 0) break;
    text.append(block, got);
  }
  win::CloseHandle(file);
  return text;
}

bool writeWhole(const std::string& path, const std::string& text) {
  win::HANDLE file = win::CreateFile(path.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS,
                                     win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == win::INVALID_HANDLE_VALUE) return false;
  win::DWORD written = 0;
  bool whole = text.empty() || (win::WriteFile(file, text.data(), static_cast<win::DWORD>(text.size()), &written,
                                               nullptr) && written == text.size());
  win::CloseHandle(file);
  return whole;
}

std::string systemDirectory() {
  char buffer[win::MAX_PATH] = {};
  win::UINT n = win::GetSystemDirectory(buffer, sizeof buffer);
  return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

// One line's content (no line end) names the device.
struct LineTest {
  const std::string& device;
  const std::string& path;
  bool inSection = false;

  bool matches(const std::string& line) {
    std::size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos) return false;
    const std::string rest = line.substr(at);
    if (StartsWithNoCase(rest, "[386Enh]")) {
      inSection = true;
      return false;
    }
    if (rest[0] == '[') {
      inSection = false;
      return false;
    }
    if (!inSection || !StartsWithNoCase(rest, "device=")) return false;
    const std::string named = rest.substr(7);
    return EqualNoCase(named, device) || EqualNoCase(named, path);
  }
};

}  // namespace

void RemoveVxdDevice(const std::string& path) {
  const std::string iniPath = WindowsDirectoryFile("SYSTEM.INI");
  const std::string tempPath = WindowsDirectoryFile(kTempName);
  auto text = readWhole(iniPath);
  if (!text) return;
  const std::string system = systemDirectory() + "\\";
  const std::string device = StartsWithNoCase(path, system) ? path.substr(system.size()) : path;
  LineTest test{device, path};
  std::string copy;
  copy.reserve(text->size() + 16);
  bool changed = false;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    std::size_t next = end == std::string::npos ? text->size() : end + 1;
    std::size_t contentEnd = end == std::string::npos ? text->size() : end;
    if (contentEnd > start && (*text)[contentEnd - 1] == '\r') --contentEnd;
    if (test.matches(text->substr(start, contentEnd - start))) {
      copy += ';';
      changed = true;
    }
    copy.append(*text, start, next - start);
    start = next;
  }
  if (!changed) return;
  if (!writeWhole(tempPath, copy)) {
    win::DeleteFile(tempPath.c_str());
    return;
  }
  if (!win::MoveFileEx(tempPath.c_str(), iniPath.c_str(), win::MOVEFILE_REPLACE_EXISTING))
    win::DeleteFile(tempPath.c_str());
}

}  // namespace remvex
