// Font resources: AddFontResource and CreateScalableFontResource, recorded in
// the transcript; the machine keeps no font table.
#pragma once

#include "win/types.h"

namespace win {

// Records the font file added ("font-add"); 1 (one font added), 0 for a null or empty name.
int AddFontResource(LPCSTR fileName);
// Records the resource made ("font-resource") and writes an empty resource file at
// fontResource; FALSE for missing names or when the file cannot be written.
BOOL CreateScalableFontResource(DWORD hidden, LPCSTR fontResource, LPCSTR fontFile, LPCSTR currentPath);

}  // namespace win
