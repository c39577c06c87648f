#include "interp/core_records.h"

#include "entry/copy_progress.h"
#include "interp/conditions.h"
#include "interp/loop_stack.h"
#include "interp/opcodes.h"
#include "interp/skip_block.h"
#include "log/install_log.h"
#include "script/expansion.h"
#include "script/script_error.h"
#include "ui/message_dlg.h"

namespace merl {

int NothingRecord(const Record&) { return kNextRecord; }

int MessageBoxRecord(const Record& record) {
  std::string title = expanded(record.languageString(0), kTitleSize);
  std::string text = expanded(record.languageString(1), kMessageTextSize);
  CloseCopyDialog();
  int answer = MessageDlg(nullptr, text, title, record.flags());
  if (answer == kAnswerCancel) return kAbort;
  if (answer == kAnswerSecond) return SkipAsElse();
  return kNextRecord;
}

int EndRecord(const Record& record) {
  if (record.flags() == 0) return kNextRecord;
  DWORD loop;
  if (!loopStack().pop(loop)) return invalidRecord();
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
    if (!NextRecord(image, c.position, c.languages)) return invalidRecord();
  }
  return kGoOn;
}

int LogTextRecord(const Record& record) {
  // Values of variables cannot add lines; the script's own line ends stay.
  char text[kTitleSize];
  ExpandVarsForLog(text, record.string(0), sizeof text);
  LogText(text);
  return kNextRecord;
}

int LogControlRecord(const Record& record) {
  BYTE value = record.byte(1);
  SwitchLog(value, value > 1 ? expanded(record.string(0), kTitleSize) : std::string());
  return kNextRecord;
}

}  // namespace merl
