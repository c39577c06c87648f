#include "interp/action_blocks.h"

#include "interp/interp_constants.h"
#include "script/variables.h"

namespace merl {

ActionBlocks::ActionBlocks(Run& run) {
  const SetupRec* setup = run.setup();
  VariableStore& store = run.state<VariableStore>();
  internal.size = sizeof(ActionParams);
  internal.mainWindow = setup ? setup->mainWindow : nullptr;
  internal.slotLimit = kVariableSlots;
  internal.nameSlotSize = kNameSlotSize;
  internal.valueSlotSize = kValueSlotSize;
  internal.names = store.names;
  internal.values = store.values;
  internal.runState = run.runState;
  internal.logHandle = win::INVALID_HANDLE_VALUE;
  internal.messageTable = setup ? setup->messageTable : nullptr;

  external.size = sizeof(ExternalActionParams);
  external.mainWindow = internal.mainWindow;
  external.slotLimit = kVariableSlots;
  external.nameSlotSize = kNameSlotSize;
  external.valueSlotSize = kValueSlotSize;
  external.names = store.names;
  external.values = store.values;
  external.runState = run.runState;
  external.logHandle = win::INVALID_HANDLE_VALUE;
  const char* const* table = setup ? setup->messageTable : nullptr;
  external.message17 = table ? table[17] : nullptr;
  external.message44 = table ? table[44] : nullptr;
  external.silentFlag = setup ? setup->silentFlag : 0;
}

ActionBlocks& actionBlocks() { return run().state<ActionBlocks>(); }

}  // namespace merl
