// Removing Program Manager items and emptied groups over DDE: the groups and
// their contents are read once, matched items are deleted, and a group left
// without items goes (never STARTUP).
#pragma once

#include <string>
#include <vector>

#include "log/item_lists.h"
#include "win/types.h"

namespace remvex {

// The conversation and the group texts as Program Manager gave them.
struct ProgmanSession {
  win::DWORD instance = 0;
  win::HCONV conversation = nullptr;
  std::vector<std::string> groups;
};

// Opens the conversation and reads "GROUPS" and each group's contents.
void ReadProgmanGroups(ProgmanSession& session);

// Deletes every item the entry matches (by command, or by group and name) and each group
// it leaves empty.
void DeleteProgmanItem(ProgmanSession& session, const IconRecord& entry);

// Sends one execute string when connected.
void SendProgmanCommand(ProgmanSession& session, const std::string& command);

// True when no item line is left in the group text; the group is then marked handled.
bool IsLastItemInGroup(std::string& group);

// Ends the conversation and the DDE instance.
void EndProgmanSession(ProgmanSession& session);

}  // namespace remvex
