// Where the interpreter stands: the script position, the script's language count and
// the current language (set by the header reader), and the in-use mark.
#pragma once

#include "run.h"
#include "script/script_image.h"

namespace merl {

struct ScriptCursor : RunState {
  DWORD position = 0;  // offset of the current record in the image
  int languages = 1;
  int language = 0;    // index of the current language
  bool inUseMark = false;
  bool settingsChanged = false;  // an INI or registry record ran
};

ScriptCursor& cursor();

// True when the setup record's abort flag is set; false without a setup record.
bool abortFlagSet();
// True when the setup record's error byte is set.
bool errorByteSet();

}  // namespace merl
