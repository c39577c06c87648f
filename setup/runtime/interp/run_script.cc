#include "interp/run_script.h"

#include "interp/dispatch_table.h"
#include "script/script_error.h"
#include "merl/setup_interface.h"

namespace merl {

int RunScript() {
  ScriptCursor& c = cursor();
  if (abortFlagSet() || errorByteSet()) return kAbort;
  ScriptImage image = ScriptImage::of(run());
  while (!errorByteSet()) {
    c.inUseMark = false;
    if (image.ranOff(c.position)) return invalidRecord();
    int r = DispatchRecord(Record(image, c.position, c.languages, c.language));
    if (r != kNextRecord) return r;
    UpdateScreen(0);
    if (!NextRecord(image, c.position, c.languages)) return invalidRecord();
    if (abortFlagSet()) break;
  }
  return abortFlagSet() || errorByteSet() ? kAbort : kGoOn;
}

}  // namespace merl
