// The doubles' config reader and log writer.
#include "double_support.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/files.h"
#include "win/files.h"
#include "win/library.h"
#include "win/machine.h"

namespace merl_doubles {

namespace {

constexpr std::size_t kMaxConfigBytes = 1u << 20;
constexpr std::size_t kMaxLogBytes = 64u << 20;

std::string doublesKey(std::string_view key) {
  return win::machine().description().value("doubles", key).value_or("");
}

}  // namespace

std::string configValue(std::string_view section, std::string_view key, std::string_view fallback) {
  std::string path = doublesKey("config");
  std::string text, error;
  if (path.empty() || !platform::readWholeFile(path, text, kMaxConfigBytes)) return std::string(fallback);
  auto config = win::MachineDescription::parse(text, win::machine().stateDir(), &error);
  if (!config) return std::string(fallback);
  return config->value(section, key).value_or(std::string(fallback));
}

std::string scripted(std::string_view section, std::string_view key, int index, std::string_view fallback) {
  std::string all = configValue(section, key);
  if (all.empty()) return std::string(fallback);
  std::size_t start = 0;
  for (int i = 0; i < index; ++i) {
    std::size_t comma = all.find(',', start);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  std::string entry = all.substr(start, all.find(',', start) - start);
  auto first = entry.find_first_not_of(' ');
  auto last = entry.find_last_not_of(' ');
  return first == std::string::npos ? std::string() : entry.substr(first, last - first + 1);
}

long long numberOf(std::string_view text, long long fallback) {
  std::string t(text);
  if (t.empty()) return fallback;
  char* end = nullptr;
  long long v = std::strtoll(t.c_str(), &end, 0);
  return end && *end == '\0' ? v : fallback;
}

int callIndex(std::string_view name, std::string_view call) {
  std::string path = doublesKey("log");
  std::string text;
  if (path.empty() || !platform::readWholeFile(path, text, kMaxLogBytes)) return 0;
  // Lines begin with the two fields in this order, so the prefix finds them.
  std::string closed = win::JsonObject().add("double", name).add("call", call).text();
  std::string prefix = closed.substr(0, closed.size() - 1) + ",";
  int n = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    if (line.substr(0, prefix.size()) == prefix || line == closed) ++n;
    start = end + 1;
  }
  return n;
}

void logCall(std::string_view name, std::string_view call, const win::JsonObject& fields) {
  std::string path = doublesKey("log");
  if (path.empty()) return;
  std::string line = win::JsonObject().add("double", name).add("call", call).append(fields).text() + "\n";
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  platform::writeAll(fd, line.data(), line.size());
  ::close(fd);
}

void logLoad(std::string_view name, win::HINSTANCE module) {
  char path[win::MAX_PATH] = {};
  win::DWORD n = win::GetModuleFileName(module, path, sizeof path);
  std::string modulePath(path, n < sizeof path ? n : 0);
  long long size = -1;
  win::HANDLE file = win::CreateFile(modulePath.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ | win::FILE_SHARE_WRITE,
                                     nullptr, win::OPEN_EXISTING, 0, nullptr);
  if (file != win::INVALID_HANDLE_VALUE) {
    win::DWORD high = 0;
    win::DWORD low = win::GetFileSize(file, &high);
    size = static_cast<long long>((static_cast<unsigned long long>(high) << 32) | low);
    win::CloseHandle(file);
  }
  logCall(name, "load", win::JsonObject().add("module", modulePath).add("size", size));
}

std::string textOf(const char* text, std::size_t limit) {
  return text ? std::string(text, ::strnlen(text, limit)) : std::string();
}

void copyOut(char* buffer, std::size_t capacity, std::string_view text) {
  if (!buffer || capacity == 0) return;
  std::size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

std::string hexBytes(const void* data, std::size_t size) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  const auto* p = static_cast<const unsigned char*>(data);
  for (std::size_t i = 0; i < size; ++i) {
    if (i) out += ' ';
    out += digits[p[i] >> 4];
    out += digits[p[i] & 15];
  }
  return out;
}

}  // namespace merl_doubles
