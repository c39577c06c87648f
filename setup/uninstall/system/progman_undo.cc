#include "system/progman_undo.h"

#include "constants.h"
#include "log/path_names.h"
#include "win/dde.h"
#include "wizard/dde_callback.h"

namespace remvex {

namespace {

constexpr win::DWORD kRequestTimeoutMs = 5000;
constexpr win::DWORD kExecuteTimeoutMs = 1000;
constexpr win::DWORD kClientFlags = 0x3F000;

std::string request(ProgmanSession& session, const std::string& item) {
  win::HSZ name = win::DdeCreateStringHandle(session.instance, item.c_str(), win::CP_WINANSI);
  win::HDDEDATA data = win::DdeClientTransaction(nullptr, 0, session.conversation, name, win::CF_TEXT,
                                                 win::XTYP_REQUEST, kRequestTimeoutMs, nullptr);
  win::DdeFreeStringHandle(session.instance, name);
  if (!data) return "";
  std::string text(kProgmanBufferSize, '\0');
  win::DWORD got = win::DdeGetData(data, reinterpret_cast<win::LPBYTE>(text.data()), kProgmanBufferSize - 1, 0);
  win::DdeFreeDataHandle(data);
  text.resize(got);
  return text.substr(0, text.find('\0'));
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return out;
}

// The text between the double quotes that open text at from; npos-free: false when not quoted.
bool quoted(const std::string& text, std::size_t from, std::string& out, std::size_t& after) {
  if (from >= text.size() || text[from] != '"') return false;
  auto close = text.find('"', from + 1);
  if (close == std::string::npos) return false;
  out = text.substr(from + 1, close - from - 1);
  after = close + 1;
  return true;
}

// Names that would break the bracketed command are never sent.
bool sendable(const std::string& name) { return name.find_first_of("[]()\"") == std::string::npos; }

}  // namespace

void ReadProgmanGroups(ProgmanSession& session) {
  if (win::DdeInitialize(&session.instance, DdeCallback, kClientFlags, 0) != win::DMLERR_NO_ERROR) return;
  win::HSZ progman = win::DdeCreateStringHandle(session.instance, "PROGMAN", win::CP_WINANSI);
  session.conversation = win::DdeConnect(session.instance, progman, progman, nullptr);
  win::DdeFreeStringHandle(session.instance, progman);
  if (!session.conversation) return;
  for (const auto& name : lines(request(session, "GROUPS")))
    if (!name.empty()) session.groups.push_back(request(session, name));
}

void SendProgmanCommand(ProgmanSession& session, const std::string& command) {
  if (!session.conversation) return;
  std::string text = command;
  win::DdeClientTransaction(reinterpret_cast<win::LPBYTE>(text.data()), static_cast<win::DWORD>(text.size() + 1),
                            session.conversation, nullptr, 0, win::XTYP_EXECUTE, kExecuteTimeoutMs, nullptr);
}

bool IsLastItemInGroup(std::string& group) {
  auto first = group.find("\r\n");
  for (std::size_t at = first; at != std::string::npos; at = group.find("\r\n", at + 2))
    if (at + 2 < group.size() && group[at + 2] == '"') return false;
  if (!group.empty()) group[0] = '*';
  return true;
}

void DeleteProgmanItem(ProgmanSession& session, const IconRecord& entry) {
  for (auto& group : session.groups) {
    std::string groupName;
    std::size_t after = 0;
    if (!quoted(group, 0, groupName, after)) continue;
    std::size_t lineStart = group.find("\r\n");
    while (lineStart != std::string::npos) {
      lineStart += 2;
      const std::size_t next = group.find("\r\n", lineStart);
      std::string item, command;
      std::size_t afterItem = 0, afterCommand = 0;
      if (quoted(group, lineStart, item, afterItem) && afterItem < group.size() && group[afterItem] == ',' &&
          quoted(group, afterItem + 1, command, afterCommand) && (next == std::string::npos || afterCommand <= next)) {
        const bool match = EqualNoCase(command, entry.command) ||
                           (EqualNoCase(groupName, entry.group) && EqualNoCase(item, entry.item));
        if (match && sendable(groupName) && sendable(item)) {
          group[lineStart] = '*';
          SendProgmanCommand(session, "[ShowGroup(" + groupName + ",2)]");
          SendProgmanCommand(session, "[ShowGroup(" + groupName + ",1)]");
          SendProgmanCommand(session, "[DeleteItem(" + item + ")]");
          if (IsLastItemInGroup(group) && !EqualNoCase(groupName, "STARTUP"))
            SendProgmanCommand(session, "[DeleteGroup(" + groupName + ")]");
          if (group[0] != '"') break;
        }
      }
      lineStart = next;
    }
  }
}

void EndProgmanSession(ProgmanSession& session) {
  if (session.conversation) win::DdeDisconnect(session.conversation);
  session.conversation = nullptr;
  if (session.instance) win::DdeUninitialize(session.instance);
  session.instance = 0;
  session.groups.clear();
}

}  // namespace remvex
