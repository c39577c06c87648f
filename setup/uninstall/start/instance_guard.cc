#include "start/instance_guard.h"

#include "string_table.h"
#include "win/message_box.h"
#include "win/process.h"

namespace remvex {

bool PassInstanceGuard() {
  // Texts straight from the string table: the [Language] section does not apply here.
  const char* text = StringTableText(79);
  const char* caption = StringTableText(80);
  if (win::incrementInstanceCount() == 0) return true;
  win::MessageBox(nullptr, text, caption, win::MB_ICONINFORMATION);
  win::decrementInstanceCount();
  return false;
}

}  // namespace remvex
