#include "interp/cursor.h"

namespace merl {

ScriptCursor& cursor() { return run().state<ScriptCursor>(); }

bool abortFlagSet() {
  const SetupRec* setup = run().setup();
  return setup && setup->abortFlag != 0;
}

bool errorByteSet() {
  const SetupRec* setup = run().setup();
  return setup && setup->errorByte != 0;
}

}  // namespace merl
