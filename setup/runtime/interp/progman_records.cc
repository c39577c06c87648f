#include "interp/progman_records.h"

#include <vector>

#include "log/install_log.h"
#include "text/dbcs.h"
#include "win/dde.h"
#include "win/window.h"

namespace merl {

namespace {

inline constexpr BYTE kCommonGroup = 0x01;
inline constexpr BYTE kCompleted = 0x02;
inline constexpr DWORD kTopmostOption = 0x04;
inline constexpr DWORD kExecuteTimeout = 1000;
inline constexpr std::size_t kShortCommandLength = 43;
inline constexpr const char* kProgman = "PROGMAN";

void setTopmost(bool topmost) {
  SetupRec* setup = run().setup();
  if (!setup || !(setup->optionWord & kTopmostOption)) return;
  win::SetWindowPos(setup->mainWindow, topmost ? win::HWND_TOPMOST : win::HWND_NOTOPMOST, 0, 0, 0, 0,
                    win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
}

void disconnect(ProgmanLink& link) {
  if (link.conversation) win::DdeDisconnect(link.conversation);
  link.conversation = nullptr;
}

}  // namespace

ProgmanLink::~ProgmanLink() { disconnect(*this); }

ProgmanLink& progmanLink() { return run().state<ProgmanLink>(); }

std::string CompleteProgmanCommand(std::string command, BYTE flags, const PlatformFlags& platform) {
  if (!(flags & kCompleted)) return command;
  if (!platform.windows9x && !platform.windowsNt && command.size() > kShortCommandLength && command[1] == 'C') {
    std::size_t cut = kShortCommandLength;
    if (DbcsByteKind(command, static_cast<int>(cut - 1)) == kLeadByte) --cut;
    command.resize(cut);
  }
  if (platform.windows9x || !platform.win32)
    command += ")]";
  else
    command += std::string(",") + ((flags & kCommonGroup) ? '1' : '0') + ")]";
  return command;
}

int ProgmanCommandRecord(const Record& record) {
  ProgmanLink& link = progmanLink();
  // Expanded short of the buffer, so the completion always fits.
  std::string command = CompleteProgmanCommand(expanded(record.languageString(0), kProgmanLimit), record.flags(),
                                               run().platform);
  if (!link.conversation) return kNextRecord;
  std::vector<BYTE> data(command.begin(), command.end());
  data.push_back(0);
  win::DdeClientTransaction(data.data(), static_cast<DWORD>(data.size()), link.conversation, nullptr, 0,
                            win::XTYP_EXECUTE, kExecuteTimeout, nullptr);
  LogRecord logged;
  logged.opcode = kOpProgman;
  LogAction(logged, command);
  return kNextRecord;
}

int ProgmanOpenRecord(const Record&) {
  ProgmanLink& link = progmanLink();
  if (link.ddeInstance) {
    disconnect(link);
    win::HSZ name = win::DdeCreateStringHandle(link.ddeInstance, kProgman, win::CP_WINANSI);
    link.conversation = win::DdeConnect(link.ddeInstance, name, name, nullptr);
    win::DdeFreeStringHandle(link.ddeInstance, name);
  }
  setTopmost(true);
  return kNextRecord;
}

int ProgmanCloseRecord(const Record&) {
  disconnect(progmanLink());
  setTopmost(false);
  return kNextRecord;
}

}  // namespace merl
