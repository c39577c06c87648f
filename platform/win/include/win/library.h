// Libraries of the emulated machine: any mapped file that the host can load
// (dlopen, whatever its name) becomes a module with a deterministic handle,
// its exported DllMain called on attach and detach; KERNEL32 and MPR are built in.
#pragma once

#include "win/types.h"

namespace win {

using FARPROC = INT_PTR (*)();

inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
inline constexpr DWORD DONT_RESOLVE_DLL_REFERENCES = 0x1;
inline constexpr DWORD LOAD_WITH_ALTERED_SEARCH_PATH = 0x8;

// What a library may export as "DllMain".
using DllMainProc = BOOL (*)(HINSTANCE instance, DWORD reason, LPVOID reserved);

// Loads a library: a name with a path is taken against the current directory; a bare name
// (".DLL" added when it has no extension) is first matched against the loaded modules, then
// searched without regard to case in the program's directory, %SYS% and %WIN%. Loading a
// module again counts a reference. ERROR_MOD_NOT_FOUND when there is no such file,
// ERROR_BAD_EXE_FORMAT when the file is no loadable library, ERROR_DLL_INIT_FAILED when its
// DllMain refuses.
HMODULE LoadLibrary(LPCSTR lpLibFileName);
// LoadLibrary with flags 0, DONT_RESOLVE_DLL_REFERENCES (no DllMain) or
// LOAD_WITH_ALTERED_SEARCH_PATH; hFile must be NULL. [failures] loadlibraryex patterns make it
// fail for the library's Windows path.
HMODULE LoadLibraryEx(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
// Drops a reference; the last one detaches (DllMain) and unloads the library.
BOOL FreeLibrary(HMODULE hLibModule);
// An export of the module itself (not of the libraries it uses); NULL for ordinals.
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
// GetProcAddress's result as the function type F (null when missing).
template <typename F>
F procAddress(HMODULE hModule, LPCSTR lpProcName) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(hModule, lpProcName)));
}
// The loaded module of a name or path; NULL is the executable.
HMODULE GetModuleHandle(LPCSTR lpModuleName);
// The module's Windows path; a short buffer gets the path cut and NUL-ended, nSize returned and
// ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileName(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

}  // namespace win
