// The shared database-engine sub-system: its use count counted down, and at
// the last use its registry trees removed once its server window is gone.
#pragma once

namespace remvex {

// 1 when the user chose Abort (the uninstall stops), else 0.
int RemoveDatabaseEngine();

}  // namespace remvex
