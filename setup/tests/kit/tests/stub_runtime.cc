// A stub runtime for the stand-in's tests: its MerlMain runs the steps named by
// [stub] steps of the doubles' config, logging each under "stub", and returns
// [stub] result with [stub] exit_code, program and arguments. Steps:
//   dump      the setup record's bytes and the image (its memory size, its bytes)
//   copy      the copy callback with [stub] copy_count (one entry per copy) into
//             memory, or into the Windows file [stub] copy_to
//   checksum  the checksum callback over [stub] checksum_text after (0, null, 0)
//   wait      the wait flag set, timer 8297 started for [stub] wait_ms, messages
//             pumped until the flag is clear
//   close     the installation file closed (the record's handle becomes -1)
//   destroy   the main window destroyed, messages pumped until WM_QUIT
//   serve     a DDE server for [stub] dde_service (default MerlInst) that accepts
//             every connect, left registered when MerlMain returns
//   unserve   that server withdrawn and its instance ended
// Its DiskPrompt logs (at_end, reopen); with [stub] disk_file it opens that file
// as the next disk ([stub] disk_base its base offset) and returns 0, else 1.
#include <cstring>
#include <vector>

#include "double_support.h"
#include "merl/setup_interface.h"
#include "win/clock.h"
#include "win/dde.h"
#include "win/files.h"
#include "win/system.h"
#include "win/window.h"

namespace {

using merl_doubles::configValue;
using merl_doubles::logCall;
using merl_doubles::numberOf;

constexpr int kMaxPumpedMessages = 100000;
constexpr std::size_t kMaxLoggedBytes = 4096;

merl::SetupRec* record = nullptr;
int copies = 0;

void dump(win::LPCSTR commandLine) {
  win::JsonObject fields;
  fields.add("setup", merl_doubles::hexBytes(record, sizeof *record));
  fields.add("command_line", merl_doubles::textOf(commandLine));
  if (record->scriptImage) {
    fields.add("image_memory_size", win::GlobalSize(record->scriptMemory));
    fields.add("image", merl_doubles::hexBytes(record->scriptImage, std::min<std::size_t>(record->scriptLength + 1,
                                                                                         kMaxLoggedBytes)));
  }
  logCall("stub", "dump", fields);
}

void copy() {
  auto count = static_cast<win::DWORD>(numberOf(merl_doubles::scripted("stub", "copy_count", copies++), 0));
  std::string target = configValue("stub", "copy_to");
  std::vector<char> memory(count);
  win::HANDLE file = nullptr;
  if (target.empty()) {
    record->copyDestination = memory.data();
  } else {
    file = win::CreateFile(target.c_str(), win::GENERIC_WRITE, 0, nullptr, win::CREATE_ALWAYS, 0, nullptr);
  }
  win::DWORD before = record->readOffset;
  win::DWORD copied = record->copyCallback(record->installFile, file, count, nullptr);
  record->copyDestination = nullptr;
  if (file && file != win::INVALID_HANDLE_VALUE) win::CloseHandle(file);
  win::JsonObject fields;
  fields.add("count", count).add("copied", copied).add("offset_before", before).add("offset_after", record->readOffset);
  fields.add("error_byte", record->errorByte).add("abort_flag", record->abortFlag);
  if (target.empty()) fields.add("bytes", merl_doubles::hexBytes(memory.data(), std::min<std::size_t>(count, kMaxLoggedBytes)));
  logCall("stub", "copy", fields);
}

void checksum() {
  std::string text = configValue("stub", "checksum_text");
  win::DWORD start = record->checksumCallback(0, nullptr, 0);
  win::DWORD value = record->checksumCallback(start, text.data(), static_cast<win::DWORD>(text.size()));
  logCall("stub", "checksum", win::JsonObject().add("start", start).add("value", value));
}

void wait() {
  auto ms = static_cast<win::UINT>(numberOf(configValue("stub", "wait_ms"), 100));
  win::DWORD start = win::GetTickCount();
  record->waitFlag = 1;
  win::SetTimer(record->mainWindow, 8297, ms, nullptr);
  win::MSG msg{};
  for (int i = 0; record->waitFlag && i < kMaxPumpedMessages && win::GetMessage(&msg, nullptr, 0, 0); ++i)
    win::DispatchMessage(&msg);
  win::KillTimer(record->mainWindow, 8297);
  logCall("stub", "wait", win::JsonObject().add("wait_flag", record->waitFlag).add("virtual_ms", win::GetTickCount() - start));
}

void destroy() {
  win::DestroyWindow(record->mainWindow);
  win::MSG msg{};
  int i = 0;
  bool quit = false;
  for (; i < kMaxPumpedMessages; ++i) {
    if (!win::GetMessage(&msg, nullptr, 0, 0)) {
      quit = true;
      break;
    }
    win::DispatchMessage(&msg);
  }
  logCall("stub", "destroy", win::JsonObject().add("quit", quit));
}

void closeFile() {
  win::CloseHandle(record->installFile);
  record->installFile = win::INVALID_HANDLE_VALUE;
  logCall("stub", "close");
}

win::DWORD ddeInstance = 0;

win::HDDEDATA acceptConnects(win::UINT type, win::UINT, win::HCONV, win::HSZ, win::HSZ, win::HDDEDATA, win::ULONG_PTR,
                             win::ULONG_PTR) {
  return type == win::XTYP_CONNECT ? win::handleFromValue<win::HDDEDATA>(1) : nullptr;
}

void serve() {
  std::string service = configValue("stub", "dde_service", "MerlInst");
  win::DdeInitialize(&ddeInstance, acceptConnects, 0, 0);
  win::HSZ name = win::DdeCreateStringHandle(ddeInstance, service.c_str(), win::CP_WINANSI);
  bool registered = win::DdeNameService(ddeInstance, name, nullptr, win::DNS_REGISTER) != nullptr;
  logCall("stub", "serve", win::JsonObject().add("service", service).add("registered", registered));
}

void unserve() {
  win::DdeNameService(ddeInstance, nullptr, nullptr, win::DNS_UNREGISTER);
  win::DdeUninitialize(ddeInstance);
  ddeInstance = 0;
  logCall("stub", "unserve");
}

}  // namespace

MERL_DOUBLE_DLLMAIN("stub")

MERL_DOUBLE_EXPORT win::INT MerlMain(merl::SetupRec* setup, win::LPCSTR commandLine, win::INT* exitCode,
                                     win::LPSTR program, win::LPSTR arguments) {
  record = setup;
  std::string steps = configValue("stub", "steps");
  std::size_t start = 0;
  while (start < steps.size()) {
    std::size_t end = steps.find(',', start);
    if (end == std::string::npos) end = steps.size();
    std::string step = steps.substr(start, end - start);
    if (step == "dump") dump(commandLine);
    else if (step == "copy") copy();
    else if (step == "checksum") checksum();
    else if (step == "wait") wait();
    else if (step == "close") closeFile();
    else if (step == "destroy") destroy();
    else if (step == "serve") serve();
    else if (step == "unserve") unserve();
    start = end + 1;
  }
  *exitCode = static_cast<win::INT>(numberOf(configValue("stub", "exit_code"), 1));
  merl_doubles::copyOut(program, 256, configValue("stub", "program"));
  merl_doubles::copyOut(arguments, 256, configValue("stub", "arguments"));
  return static_cast<win::INT>(numberOf(configValue("stub", "result"), 0));
}

MERL_DOUBLE_EXPORT win::INT DiskPrompt(win::INT atEnd, win::INT reopen) {
  logCall("stub", "DiskPrompt", win::JsonObject().add("at_end", atEnd).add("reopen", reopen));
  std::string next = configValue("stub", "disk_file");
  if (next.empty() || !record) return 1;
  if (record->installFile != win::INVALID_HANDLE_VALUE) win::CloseHandle(record->installFile);
  record->installFile = win::CreateFile(next.c_str(), win::GENERIC_READ, win::FILE_SHARE_READ, nullptr,
                                        win::OPEN_EXISTING, 0, nullptr);
  record->diskBaseOffset = static_cast<win::DWORD>(numberOf(configValue("stub", "disk_base"), 0));
  return record->installFile == win::INVALID_HANDLE_VALUE ? 1 : 0;
}
