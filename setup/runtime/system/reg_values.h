// Registry values as the runtime reads and writes them: the root and type tables,
// WriteRegValue, ReadRegValue (text, type digit), DeleteRegKeyTree and HexDigitChar.
// The registry record, the shared counters and the registry query action use them.
#pragma once

#include <cstddef>

#include "win/registry.h"
#include "win/types.h"

namespace merl {

inline constexpr int kRegistryRoots = 5;   // root indexes 0-4
inline constexpr int kRegistryTypes = 5;   // type codes 0-4
inline constexpr int kTypeSz = 0;
inline constexpr int kTypeExpandSz = 1;
inline constexpr int kTypeMultiSz = 2;
inline constexpr int kTypeDword = 3;
inline constexpr int kTypeBinary = 4;

// The key of root index 0-4 (HKEY_CLASSES_ROOT .. HKEY_CURRENT_CONFIG); null for any other.
win::HKEY RegistryRoot(int rootIndex);
// The registry type of type code 0-4; REG_NONE for any other.
win::DWORD RegistryType(int typeCode);
// The type code of a registry type; kRegistryTypes when it has none.
int RegistryTypeCode(win::DWORD type);

// '0'-'9', 'A'-'F' for n 0-15.
char HexDigitChar(int n);

// Creates key under root (and every missing parent) and, when valueName is not null, sets
// the value with the type code's type from size bytes of data. 0 on success, 1 on failure
// (a root or type code outside the tables included); with report set a failure shows
// script message 44 as the abort message.
int WriteRegValue(int rootIndex, const char* key, const char* valueName, int typeCode, const win::BYTE* data,
                  win::DWORD size, bool report);

// How a value read went.
enum class RegReadStatus {
  Whole,     // read and shown whole
  Missing,   // no such key or value
  NotText,   // exists but cannot be read whole or shown as text (too long, unlisted type, store error)
};

// Reads value valueName (null or "": the default value) of key into text (capacity maxLength,
// at least 2): strings as stored and always terminated (a multi-string with its closing empty
// string), REG_DWORD as "%lu", REG_BINARY as upper-case hexadecimal pairs of at most 127 bytes.
// *typeDigit gets '0' + the type code. 0 when read (a cut binary included), 1 when missing,
// unreadable or of a type outside the table; *status, when given, tells which.
int ReadRegValue(int rootIndex, const char* key, char* text, const char* valueName, char* typeDigit,
                 std::size_t maxLength, bool dwordAsText, RegReadStatus* status = nullptr);

// Deletes key under root with all its subkeys (at most 2048 subkeys per level).
void DeleteRegKeyTree(const char* key, int rootIndex);

}  // namespace merl
