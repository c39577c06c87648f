#include "interp/skip_block.h"

#include "interp/cursor.h"
#include "interp/opcodes.h"
#include "interp/record.h"
#include "script/script_error.h"

namespace merl {

namespace {

bool opensBlock(int opcode, BYTE flags) {
  return (opcode == kOpMessageBox && (flags & 0x01)) || (opcode == kOpLibraryCall && (flags & 0x02)) ||
         opcode == kOpIf;
}

}  // namespace

int SkipBlock() {
  ScriptCursor& c = cursor();
  ScriptImage image = ScriptImage::of(run());
  int depth = 1;
  while (!image.ranOff(c.position) && image.opcodeAt(c.position) != kEndMarkOpcode) {
    if (!NextRecord(image, c.position, c.languages) || !isValidOpcode(image.opcodeAt(c.position)))
      return invalidRecord();
    int op = image.opcodeAt(c.position);
    if (op == kEndMarkOpcode) break;
    BYTE flags = image.data()[c.position + 1];
    if (op == kOpEnd || (op == kOpElse && depth == 1))
      --depth;
    else if (opensBlock(op, flags))
      ++depth;
    if (depth == 0) return kSkippedToClose;
  }
  return kSkippedToEndMark;
}

int SkipAsElse() {
  int r = SkipBlock();
  if (r == kAbort) return kAbort;
  return r == kSkippedToEndMark ? kEndMark : kNextRecord;
}

}  // namespace merl
