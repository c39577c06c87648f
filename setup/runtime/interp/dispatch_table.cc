#include "interp/dispatch_table.h"

#include "interp/core_records.h"
#include "interp/execute_record.h"
#include "interp/file_records.h"
#include "interp/ini_record.h"
#include "interp/install_file_record.h"
#include "interp/library_call_record.h"
#include "interp/opcodes.h"
#include "interp/odbc_records.h"
#include "interp/progman_records.h"
#include "interp/registry_record.h"
#include "interp/sound_record.h"
#include "interp/system_info_record.h"
#include "script/script_error.h"
#include "script/script_image.h"

namespace merl {

namespace {

// Records of later work (install file, bitmap, registry, dialogs, system information,
// ODBC) get their handlers here as they come; until then they are invalid.
const DispatchEntry kTable[kOpcodeCount] = {
    /* 0 install file */ {InstallFileRecord},
    /* 1 */ {},
    /* 2 */ {NothingRecord},
    /* 3 */ {MessageBoxRecord},
    /* 4 */ {ProgmanCommandRecord, true},
    /* 5 */ {IniRecord, true},
    /* 6 bitmap */ {},
    /* 7 */ {ExecuteRecord},
    /* 8 */ {EndRecord},
    /* 9 */ {LibraryCallRecord},
    /* 10 registry */ {RegistryRecord, true},
    /* 11 */ {DeleteFilesRecord},
    /* 12 */ {IfRecord},
    /* 13 */ {ElseRecord},
    /* 14 */ {},
    /* 15 */ {ProgmanOpenRecord, true},
    /* 16 */ {ProgmanCloseRecord, true},
    /* 17 */ {MakeDirectoryRecord, true},
    /* 18 install file with source */ {InstallFileRecord},
    /* 19 */ {},
    /* 20 dialog */ {},
    /* 21 system information */ {SystemInfoRecord},
    /* 22 */ {TempFileRecord},
    /* 23 */ {SoundRecord},
    /* 24 */ {ExitRecord},
    /* 25 ODBC driver */ {OdbcDriverRecord},
    /* 26 ODBC source */ {OdbcSourceRecord, true},
    /* 27 */ {RemarkRecord},
    /* 28 */ {LogTextRecord, true},
    /* 29 */ {RenameRecord, true},
    /* 30 */ {LogControlRecord},
    /* 31 */ {},
};

}  // namespace

DispatchEntry dispatchEntry(int opcode) {
  if (opcode < 0 || opcode >= kOpcodeCount) return {};
  return kTable[opcode];
}

int DispatchRecord(const Record& record) {
  int op = record.opcode();
  if (op == kEndMarkOpcode) return kExit;
  DispatchEntry entry = dispatchEntry(op);
  if (!entry.handler) return invalidRecord();
  if (entry.skippedInTest && run().runState == kStateTest) return kNextRecord;
  return entry.handler(record);
}

}  // namespace merl
