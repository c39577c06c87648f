#include "interp/core_records.h"

#include "interp/conditions.h"
#include "interp/loop_stack.h"
#include "interp/opcodes.h"
#include "interp/seams.h"
#include "interp/skip_block.h"

namespace merl {

namespace {

inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerNo = 3;

}  // namespace

int NothingRecord(const Record&) { return kNextRecord; }

int MessageBoxRecord(const Record& record) {
  std::string title = expanded(record.languageString(0), kTitleSize);
  std::string text = expanded(record.languageString(1), kMessageTextSize);
  int answer = seams().messageBox(title, text, record.flags());
  if (answer == kAnswerCancel) return kAbort;
  if (answer == kAnswerNo) return SkipAsElse();
  return kNextRecord;
}

int EndRecord(const Record& record) {
  if (record.flags() == 0) return kNextRecord;
  DWORD loop;
  if (!loopStack().pop(loop)) {
    ShowAbortMessage(kMessageInvalidRecord);
    return kAbort;
  }
  cursor().position = loop;
  return kGoOn;
}

int IfRecord(const Record& record) { return EvalCondition(record); }

int ElseRecord(const Record&) { return SkipAsElse(); }

int ExitRecord(const Record&) { return kExit; }

int RemarkRecord(const Record&) {
  ScriptCursor& c = cursor();
  ScriptImage image = ScriptImage::of(run());
  while (!image.ranOff(c.position) && image.opcodeAt(c.position) == kOpRemark) {
    if (!NextRecord(image, c.position, c.languages)) {
      ShowAbortMessage(kMessageInvalidRecord);
      return kAbort;
    }
  }
  return kGoOn;
}

int LogTextRecord(const Record& record) {
  seams().logText(expanded(record.string(0), kTitleSize));
  return kNextRecord;
}

int LogControlRecord(const Record& record) {
  BYTE value = record.byte(1);
  if (value == 1)
    seams().suspendLog(true);
  else if (value == 0)
    seams().suspendLog(false);
  else
    seams().reopenLog(expanded(record.string(0), kTitleSize));
  return kNextRecord;
}

}  // namespace merl
