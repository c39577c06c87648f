// What every test double shares: its scripted answers from the config file
// named by machine.ini's [doubles] config, and its log, the host file named by
// [doubles] log, to which it appends one JSON line per call (and one on load
// with its own module path and file size).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "win/json.h"
#include "win/types.h"

// Exports of a double (the doubles are built with hidden visibility).
#define MERL_DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

// The double's DllMain: logs the load under the double's name.
#define MERL_DOUBLE_DLLMAIN(doubleName)                                                            \
  MERL_DOUBLE_EXPORT win::BOOL DllMain(win::HINSTANCE instance, win::DWORD reason, win::LPVOID) { \
    if (reason == 1) merl_doubles::logLoad(doubleName, instance);                                  \
    return 1;                                                                                      \
  }

namespace merl_doubles {

// A value of the config file ([section] key = value, machine.ini's syntax); fallback when
// there is no config file, section or key. The file is read afresh at each call.
std::string configValue(std::string_view section, std::string_view key, std::string_view fallback = "");

// The value for the call with this index (0-based): a comma-separated value gives one entry
// per call, its last entry for every later call.
std::string scripted(std::string_view section, std::string_view key, int index, std::string_view fallback = "");

// A number in decimal or 0x hex (a leading '-' allowed); fallback when text is none.
long long numberOf(std::string_view text, long long fallback = 0);

// How many calls of this double's function the log holds already: the index of this call.
int callIndex(std::string_view name, std::string_view call);

// Appends {"double":name,"call":call,...fields} to the log.
void logCall(std::string_view name, std::string_view call, const win::JsonObject& fields = win::JsonObject());

// Logs a load: the module's Windows path and its size through the machine's file layer
// (module null: the program itself).
void logLoad(std::string_view name, win::HINSTANCE module);

// A text from a caller, or "" for null; bounded so a missing NUL cannot run away.
std::string textOf(const char* text, std::size_t limit = 1u << 16);

// Copies text into a caller's buffer of capacity bytes, cut and terminated.
void copyOut(char* buffer, std::size_t capacity, std::string_view text);

// Bytes as lower-case hex pairs separated by blanks ("45 00").
std::string hexBytes(const void* data, std::size_t size);

}  // namespace merl_doubles
