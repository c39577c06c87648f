#include "interp/run_script.h"

#include "interp/dispatch_table.h"
#include "interp/seams.h"

namespace merl {

int RunScript() {
  ScriptCursor& c = cursor();
  if (abortFlagSet() || errorByteSet()) return kAbort;
  ScriptImage image = ScriptImage::of(run());
  while (!errorByteSet()) {
    c.inUseMark = false;
    if (image.ranOff(c.position)) {
      ShowAbortMessage(kMessageInvalidRecord);
      return kAbort;
    }
    int r = DispatchRecord(Record(image, c.position, c.languages, c.language));
    if (r != kNextRecord) return r;
    // Stands in for the screen update until the runtime entry brings it.
    seams().pumpOnce();
    if (!NextRecord(image, c.position, c.languages)) {
      ShowAbortMessage(kMessageInvalidRecord);
      return kAbort;
    }
    if (abortFlagSet()) break;
  }
  return abortFlagSet() || errorByteSet() ? kAbort : kGoOn;
}

}  // namespace merl
