// The Program Manager stand-in: execute strings of CreateGroup, AddItem,
// DeleteItem, DeleteGroup and ShowGroup applied to <state>/groups.txt, and
// requests for "GROUPS" and for a group's contents.
#include <optional>
#include <sstream>
#include <vector>

#include "dde_internal.h"
#include "state_file.h"
#include "ui_trace.h"
#include "win/ui_constants.h"

namespace win::detail {

namespace {

struct Item {
  std::string name;
  std::string command;
};
struct Group {
  std::string name;
  std::vector<Item> items;
};

std::string groupsPath() { return machine().stateDir() + "/" + kGroupsFileName; }

// groups.txt: "[<group>]" lines, each followed by "<item name><TAB><command>" lines.
std::vector<Group> parseGroups(const std::string& text) {
  std::vector<Group> groups;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      groups.push_back(Group{line.substr(1, line.size() - 2), {}});
    } else if (auto tab = line.find('\t'); tab != std::string::npos && !groups.empty()) {
      groups.back().items.push_back(Item{line.substr(0, tab), line.substr(tab + 1)});
    }
  }
  return groups;
}

std::string formatGroups(const std::vector<Group>& groups) {
  std::string out;
  for (const auto& g : groups) {
    out += "[" + g.name + "]\n";
    for (const auto& i : g.items) out += i.name + "\t" + i.command + "\n";
  }
  return out;
}

Group* findGroup(std::vector<Group>& groups, const std::string& name) {
  for (auto& g : groups)
    if (ddeUpper(g.name) == ddeUpper(name)) return &g;
  return nullptr;
}

struct Command {
  std::string text;  // verbatim, brackets included
  std::string name;
  std::vector<std::string> args;
};

// "[Name(arg,...)]..." with quoted arguments; nullopt when any part is malformed.
std::optional<std::vector<Command>> parseCommands(const std::string& s) {
  std::vector<Command> out;
  std::size_t i = 0;
  auto blank = [&] {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
  };
  for (blank(); i < s.size(); blank()) {
    std::size_t start = i;
    if (s[i++] != '[') return std::nullopt;
    Command c;
    while (i < s.size() && s[i] != '(' && s[i] != ']') c.name += s[i++];
    if (c.name.empty() || i >= s.size() || s[i] != '(') return std::nullopt;
    ++i;
    std::string arg;
    bool quoted = false, sawAny = false;
    for (;; ++i) {
      if (i >= s.size()) return std::nullopt;
      char ch = s[i];
      if (ch == '"') {
        quoted = !quoted;
      } else if (!quoted && (ch == ',' || ch == ')')) {
        c.args.push_back(arg);
        arg.clear();
        if (ch == ')') break;
      } else {
        arg += ch;
      }
      sawAny = true;
    }
    (void)sawAny;
    ++i;
    if (i >= s.size() || s[i] != ']') return std::nullopt;
    ++i;
    c.text = s.substr(start, i - start);
    out.push_back(std::move(c));
  }
  if (out.empty()) return std::nullopt;
  return out;
}

std::string baseName(const std::string& command) {
  std::string name = command.substr(command.find_last_of("\\/:") == std::string::npos ? 0
                                                                                      : command.find_last_of("\\/:") + 1);
  if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

// Applies one command; false when Program Manager would refuse it.
bool apply(const Command& c, std::vector<Group>& groups, std::string& active) {
  std::string name = ddeUpper(c.name);
  const auto& a = c.args;
  if (name == "CREATEGROUP" && !a.empty() && a.size() <= 3 && !a[0].empty()) {
    if (!findGroup(groups, a[0])) groups.push_back(Group{a[0], {}});
    active = a[0];
    return true;
  }
  if (name == "SHOWGROUP" && a.size() >= 2 && a.size() <= 3 && findGroup(groups, a[0])) {
    active = a[0];
    return true;
  }
  if (name == "DELETEGROUP" && !a.empty() && a.size() <= 2) {
    for (auto it = groups.begin(); it != groups.end(); ++it)
      if (ddeUpper(it->name) == ddeUpper(a[0])) {
        groups.erase(it);
        if (ddeUpper(active) == ddeUpper(a[0])) active.clear();
        return true;
      }
    return false;
  }
  Group* g = findGroup(groups, active);
  if (name == "ADDITEM" && g && !a.empty() && !a[0].empty()) {
    std::string itemName = a.size() >= 2 && !a[1].empty() ? a[1] : baseName(a[0]);
    g->items.push_back(Item{itemName, a[0]});
    return true;
  }
  if (name == "DELETEITEM" && g && a.size() == 1) {
    for (auto it = g->items.begin(); it != g->items.end(); ++it)
      if (ddeUpper(it->name) == ddeUpper(a[0])) {
        g->items.erase(it);
        return true;
      }
  }
  return false;
}

void traceCommand(const std::string& text, bool ok) {
  trace("progman", JsonObject().add("command", text).add("answer", ok ? "ack" : "not-processed"));
}

}  // namespace

DdeAnswer progmanExecute(DdeConversation& conv, const std::string& command) {
  std::string text = command.substr(0, command.find('\0'));
  DdeAnswer answer;
  answer.error = DMLERR_NOTPROCESSED;
  auto commands = parseCommands(text);
  if (!commands) {
    traceCommand(text, false);
    return answer;
  }
  bool ok = true;
  std::string active = conv.activeGroup;
  bool written = updateStateFile(groupsPath(), [&](std::string& file) {
    auto groups = parseGroups(file);
    for (const auto& c : *commands) {
      ok = apply(c, groups, active);
      traceCommand(c.text, ok);
      if (!ok) break;
    }
    file = formatGroups(groups);
    return true;
  });
  conv.activeGroup = active;
  if (!written || !ok) return answer;
  answer.ok = true;
  answer.error = DMLERR_NO_ERROR;
  answer.status = DDE_FACK;
  return answer;
}

DdeAnswer progmanRequest(const std::string& item) {
  DdeAnswer answer;
  answer.error = DMLERR_NOTPROCESSED;
  std::string file;
  if (!readStateFile(groupsPath(), file)) return answer;
  auto groups = parseGroups(file);
  std::string out;
  if (ddeUpper(item) == "GROUPS") {
    for (const auto& g : groups) out += g.name + "\r\n";
  } else if (Group* g = findGroup(groups, item)) {
    out = "\"" + g->name + "\"," + g->name + ".GRP," + std::to_string(g->items.size()) + "\r\n";
    for (const auto& i : g->items)
      out += "\"" + i.name + "\",\"" + i.command + "\",," + i.command + ",0,0,0,0,0\r\n";
  } else {
    return answer;
  }
  answer.ok = true;
  answer.error = DMLERR_NO_ERROR;
  answer.bytes = out + '\0';
  return answer;
}

}  // namespace win::detail
