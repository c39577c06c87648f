// Internet transfer library double (support file 7). "t1" serves a source from
// the host directory [internet] root ("scheme://host/path" is root/host/path,
// "." and ".." are refused) into the destination, taking [internet] duration_ms
// of virtual time while it pumps messages; [internet] result, detail and
// set_abort script it. "t2" logs its three arguments and returns [internet] t2.
#include <vector>

#include "double_support.h"
#include "merl/outside_libraries.h"
#include "platform/files.h"
#include "win/clock.h"
#include "win/files.h"
#include "win/window.h"

namespace {

constexpr win::INT kNotServed = -2;
constexpr std::size_t kMaxServedBytes = 256u << 20;

// The host file a source names below root; "" when it names none.
std::string servedFile(const std::string& root, std::string source) {
  if (root.empty()) return "";
  if (auto scheme = source.find("://"); scheme != std::string::npos) source = source.substr(scheme + 3);
  std::string path = root;
  std::size_t start = 0;
  while (start <= source.size()) {
    std::size_t end = source.find_first_of("/\\", start);
    if (end == std::string::npos) end = source.size();
    std::string part = source.substr(start, end - start);
    if (part == "." || part == "..") return "";
    if (!part.empty()) path += "/" + part;
    start = end + 1;
  }
  return path == root ? "" : path;
}

bool writeDestination(const char* destination, const std::string& bytes) {
  win::HANDLE out = win::CreateFile(destination, win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS,
                                    win::FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == win::INVALID_HANDLE_VALUE) return false;
  win::DWORD written = 0;
  bool ok = win::WriteFile(out, bytes.data(), static_cast<win::DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  win::CloseHandle(out);
  return ok;
}

// Pumps messages until ms of virtual time have passed (empty peeks move the clock);
// returns the WM_TIMER messages seen. A WM_QUIT is put back for the caller.
int pumpFor(win::DWORD ms) {
  win::DWORD start = win::GetTickCount();
  int timers = 0;
  long long guard = static_cast<long long>(ms) / 10 + 100000;
  win::MSG msg{};
  while (win::GetTickCount() - start < ms && guard-- > 0) {
    if (!win::PeekMessage(&msg, nullptr, 0, 0, win::PM_REMOVE)) continue;
    if (msg.message == win::WM_QUIT) {
      win::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == win::WM_TIMER) ++timers;
    win::DispatchMessage(&msg);
  }
  return timers;
}

}  // namespace

MERL_DOUBLE_DLLMAIN("internet")

MERL_DOUBLE_EXPORT win::INT t1(win::DWORD* abortFlag, win::LPCSTR source, win::LPCSTR destination,
                               win::HWND mainWindow, win::DWORD* bytesDone, win::INT a, win::INT b, win::INT c,
                               win::INT d, win::LPSTR detail) {
  using namespace merl_doubles;
  int index = callIndex("internet", "t1");
  win::DWORD start = win::GetTickCount();
  int timers = pumpFor(static_cast<win::DWORD>(numberOf(scripted("internet", "duration_ms", index), 0)));
  if (abortFlag && numberOf(scripted("internet", "set_abort", index), 0) != 0) *abortFlag = 1;
  std::string bytes;
  std::string file = servedFile(configValue("internet", "root"), textOf(source));
  bool found = !file.empty() && platform::readWholeFile(file, bytes, kMaxServedBytes);
  auto result = static_cast<win::INT>(numberOf(scripted("internet", "result", index), found ? 0 : kNotServed));
  bool written = false;
  if (result >= 0 && found && destination && *destination) written = writeDestination(destination, bytes);
  std::string detailText = scripted("internet", "detail", index);
  if (!detailText.empty()) copyOut(detail, merl::kTransferDetailSize, detailText);
  logCall("internet", "t1", win::JsonObject()
                                .add("source", textOf(source))
                                .add("destination", textOf(destination))
                                .add("main_window", win::handleValue(mainWindow))
                                .add("bytes_done", bytesDone ? static_cast<long long>(*bytesDone) : -1)
                                .add("a", a)
                                .add("b", b)
                                .add("c", c)
                                .add("d", d)
                                .add("result", result)
                                .add("written", written)
                                .add("virtual_ms", win::GetTickCount() - start)
                                .add("timer_messages", timers));
  return result;
}

MERL_DOUBLE_EXPORT win::INT t2(win::DWORD first, win::DWORD second, win::DWORD third) {
  using namespace merl_doubles;
  int index = callIndex("internet", "t2");
  logCall("internet", "t2", win::JsonObject().add("first", first).add("second", second).add("third", third));
  return static_cast<win::INT>(numberOf(scripted("internet", "t2", index), 0));
}

static_assert(std::is_same_v<decltype(&t1), merl::TransferProc>);
static_assert(std::is_same_v<decltype(&t2), merl::TransferControlProc>);
