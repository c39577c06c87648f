// The ODBC records: a driver installed (opcode 25) or a data source added or
// configured (opcode 26) through an ODBC installer library loaded by name.
#pragma once

#include "interp/record.h"

namespace merl {

// Opcode 25: the driver manager's and the driver's directories into two variables.
void InstallOdbcDriver(const Record& record);
// Opcode 26: adds the data source, or configures it when adding fails.
void ConfigureOdbcSource(const Record& record);

int OdbcDriverRecord(const Record& record);
int OdbcSourceRecord(const Record& record);

}  // namespace merl
