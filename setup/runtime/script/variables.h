// The variable store: 250 name slots of 17 bytes and 250 value slots of 256
// bytes, shared with action libraries, and its routines FindVar, GetVar,
// GetVarLength, SetVar and FindBackupDirVar over the current run's store.
#pragma once

#include <cstddef>
#include <string_view>

#include "run.h"

namespace merl {

inline constexpr int kVariableSlots = 250;
inline constexpr int kNameSlotSize = 17;
inline constexpr int kValueSlotSize = 256;
// Characters of a name between its percent signs. A name of this length fills its
// whole slot, so a name slot is NUL-terminated only when the name is shorter.
inline constexpr int kMaxNameLength = kNameSlotSize - 2;

// A name slot holds "%NAME%"; an empty name marks a continuation slot of the
// variable before it. A value of length L runs through (L + 256) / 256 slots.
// Slots 0 .. count - 1 are in use. The predefined variables are filled by the
// header reader: slots 0-2 (%CMDLINE%, %LANGUAGES%, %%) with FindVar on the fresh
// store, the rest appended with SetVar (they need the machine's files layer).
struct VariableStore : RunState {
  char names[kVariableSlots * kNameSlotSize] = {};
  char values[kVariableSlots * kValueSlotSize] = {};
  WORD count = 0;
  int backupDirSlot = -1;  // the slot of a non-empty %BACKUPDIR%, else -1 (FindBackupDirVar)
  // What FindVar hands out when it cannot store a name: emptied on each use, never counted.
  char scratch[kValueSlotSize] = {};

  char* nameSlot(int slot) { return names + slot * kNameSlotSize; }
  char* valueSlot(int slot) { return values + slot * kValueSlotSize; }
  // The name in slot, bounded by the slot.
  std::string_view nameOf(int slot) const;
  // The value starting at slot, bounded by the end of the value table.
  std::string_view valueOf(int slot) const;
  // The first used slot whose name equals name (with its percent signs), case-blind; -1 for none.
  int find(std::string_view name) const;
  // The first used slot whose non-empty name begins text, case-blind; -1 for none.
  int matchAt(std::string_view text) const;
};

// The current run's store.
VariableStore& variables();

// The value slot of name ("NAME" is wrapped as "%NAME%", "%NAME%" taken as given),
// appending the variable with an empty value when it is missing. A value written
// there must fit one slot (256 bytes). A name that cannot be stored (empty, longer
// than 15 characters between its signs, a full store) gets an emptied scratch slot.
char* FindVar(std::string_view name);

// The value of %name% into destination (capacity bytes), cut and terminated; "" for
// an unset variable or an empty name. The name is always wrapped, so "%X%" looks
// for "%%X%%".
void GetVar(std::string_view name, char* destination, std::size_t capacity);

// The length of %name%'s value plus one; 0 for an unset variable or an empty name.
std::size_t GetVarLength(std::string_view name);

// Stores value (up to its first NUL) as %name%, resizing its run of slots. Nothing
// is stored, and an old value stays, when the name cannot be stored or the store
// would pass its 250 slots (a new variable needs its first slot plus its run to
// stay below 250).
void SetVar(std::string_view name, std::string_view value);

// Refreshes the store's backup-directory slot and returns it (-1 for none).
int FindBackupDirVar();

}  // namespace merl
