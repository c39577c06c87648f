// The variable store's slot runs: lookup by first case-blind match, appending,
// and resizing a variable's run with the later slots moved behind it.
#include "script/variables.h"

#include <cstring>
#include <string>

#include "text/copy_text.h"

namespace merl {

namespace {

char foldCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameBlind(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

// The slot name of a variable name, or "" when it cannot be a slot name.
std::string slotName(std::string_view name, bool wrap) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return {};
  std::string slot = wrap ? "%" + std::string(name) + "%" : std::string(name);
  if (slot.size() > static_cast<std::size_t>(kNameSlotSize)) return {};
  return slot;
}

std::string wrapped(std::string_view name) { return slotName(name, true); }

// Slots a value of length length runs through.
int slotsFor(std::size_t length) { return static_cast<int>((length + kValueSlotSize) / kValueSlotSize); }

void writeName(VariableStore& store, int slot, const std::string& name) {
  std::memset(store.nameSlot(slot), 0, kNameSlotSize);
  std::memcpy(store.nameSlot(slot), name.data(), name.size());
}

// Moves slots from .. count - 1 (names and values) to start at to; clears what they leave behind.
void moveTail(VariableStore& store, int from, int to) {
  int moved = store.count - from;
  std::memmove(store.nameSlot(to), store.nameSlot(from), static_cast<std::size_t>(moved) * kNameSlotSize);
  std::memmove(store.valueSlot(to), store.valueSlot(from), static_cast<std::size_t>(moved) * kValueSlotSize);
  int newEnd = to + moved;
  if (newEnd < store.count) {
    std::memset(store.nameSlot(newEnd), 0, static_cast<std::size_t>(store.count - newEnd) * kNameSlotSize);
    std::memset(store.valueSlot(newEnd), 0, static_cast<std::size_t>(store.count - newEnd) * kValueSlotSize);
  }
  if (store.backupDirSlot >= from) store.backupDirSlot += to - from;
}

}  // namespace

std::string_view VariableStore::nameOf(int slot) const {
  const char* name = names + slot * kNameSlotSize;
  return {name, ::strnlen(name, kNameSlotSize)};
}

std::string_view VariableStore::valueOf(int slot) const {
  const char* value = values + slot * kValueSlotSize;
  return {value, ::strnlen(value, static_cast<std::size_t>(kVariableSlots - slot) * kValueSlotSize)};
}

int VariableStore::find(std::string_view name) const {
  for (int slot = 0; slot < count; ++slot) {
    std::string_view own = nameOf(slot);
    if (!own.empty() && sameBlind(own, name)) return slot;
  }
  return -1;
}

int VariableStore::matchAt(std::string_view text) const {
  for (int slot = 0; slot < count; ++slot) {
    std::string_view own = nameOf(slot);
    if (!own.empty() && sameBlind(own, text.substr(0, own.size()))) return slot;
  }
  return -1;
}

VariableStore& variables() {
  VariableStore& store = run().state<VariableStore>();
  // An action library may have raised the count past the tables; never read beyond them.
  if (store.count > kVariableSlots) store.count = kVariableSlots;
  return store;
}

char* FindVar(std::string_view name) {
  VariableStore& store = variables();
  store.scratch[0] = '\0';
  std::string slot = slotName(name, name.empty() || name.front() != '%');
  if (slot.empty()) return store.scratch;
  int found = store.find(slot);
  if (found >= 0) return store.valueSlot(found);
  if (store.count >= kVariableSlots) return store.scratch;
  int at = store.count++;
  writeName(store, at, slot);
  store.valueSlot(at)[0] = '\0';
  return store.valueSlot(at);
}

void GetVar(std::string_view name, char* destination, std::size_t capacity) {
  if (capacity == 0) return;
  destination[0] = '\0';
  std::string slot = wrapped(name);
  if (slot.empty()) return;
  const VariableStore& store = variables();
  int found = store.find(slot);
  if (found >= 0) copyText(destination, capacity, store.valueOf(found));
}

std::size_t GetVarLength(std::string_view name) {
  std::string slot = wrapped(name);
  if (slot.empty()) return 0;
  const VariableStore& store = variables();
  int found = store.find(slot);
  return found < 0 ? 0 : store.valueOf(found).size() + 1;
}

void SetVar(std::string_view name, std::string_view value) {
  std::string slot = wrapped(name);
  if (slot.empty()) return;
  value = value.substr(0, value.find('\0'));
  VariableStore& store = variables();
  int n = slotsFor(value.size());
  int at = store.find(slot);
  if (at >= 0) {
    int next = at + 1;
    while (next < store.count && store.nameOf(next).empty()) ++next;
    int newCount = store.count - (next - at) + n;
    if (newCount > kVariableSlots) return;
    if (at + n != next) moveTail(store, next, at + n);
    store.count = static_cast<WORD>(newCount);
  } else {
    at = store.count;
    if (at + n >= kVariableSlots) return;
    writeName(store, at, slot);
    store.count = static_cast<WORD>(at + n);
  }
  for (int continuation = at + 1; continuation < at + n; ++continuation)
    std::memset(store.nameSlot(continuation), 0, kNameSlotSize);
  char* text = store.valueSlot(at);
  std::memcpy(text, value.data(), value.size());
  text[value.size()] = '\0';
}

int FindBackupDirVar() {
  VariableStore& store = variables();
  int found = store.find("%BACKUPDIR%");
  store.backupDirSlot = found >= 0 && store.valueSlot(found)[0] != '\0' ? found : -1;
  return store.backupDirSlot;
}

}  // namespace merl
