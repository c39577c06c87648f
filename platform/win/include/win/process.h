// Processes of the emulated machine: starting programs (never through a
// shell), their Windows command lines, waits and exit codes, the process's
// environment view, and the instance counter each program file shares.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "win/show_commands.h"
#include "win/types.h"

namespace win {

// Accepted and ignored: the programs run headless.
struct STARTUPINFOA {
  DWORD cb;
  LPSTR lpReserved;
  LPSTR lpDesktop;
  LPSTR lpTitle;
  DWORD dwX;
  DWORD dwY;
  DWORD dwXSize;
  DWORD dwYSize;
  DWORD dwXCountChars;
  DWORD dwYCountChars;
  DWORD dwFillAttribute;
  DWORD dwFlags;
  WORD wShowWindow;
  WORD cbReserved2;
  LPBYTE lpReserved2;
  HANDLE hStdInput;
  HANDLE hStdOutput;
  HANDLE hStdError;
};
using LPSTARTUPINFOA = STARTUPINFOA*;

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};
using LPPROCESS_INFORMATION = PROCESS_INFORMATION*;

struct SHELLEXECUTEINFOA {
  DWORD cbSize;
  ULONG fMask;
  HWND hwnd;
  LPCSTR lpVerb;
  LPCSTR lpFile;
  LPCSTR lpParameters;
  LPCSTR lpDirectory;
  int nShow;
  HINSTANCE hInstApp;
  LPVOID lpIDList;
  LPCSTR lpClass;
  HKEY hkeyClass;
  DWORD dwHotKey;
  HANDLE hIcon;
  HANDLE hProcess;
};
using LPSHELLEXECUTEINFOA = SHELLEXECUTEINFOA*;

inline constexpr DWORD STILL_ACTIVE = 259;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 0x102;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
inline constexpr ULONG SEE_MASK_NOCLOSEPROCESS = 0x40;
inline constexpr UINT SE_ERR_FNF = 2;
inline constexpr UINT SE_ERR_PNF = 3;
inline constexpr UINT SE_ERR_ACCESSDENIED = 5;
inline constexpr UINT SE_ERR_OOM = 8;
inline constexpr UINT SE_ERR_NOASSOC = 31;

// Starts a program: lpApplicationName names it (no search, no default extension), else the
// first word of lpCommandLine does (quoted, or the shortest blank-separated prefix that names a
// file; a bare name without extension gets ".exe" and is searched in the program's directory, the
// current directory, %SYS%, %WIN% and the view's PATH). The child gets lpCommandLine exactly as
// its GetCommandLine, its argv split from it, lpCurrentDirectory (or ours) and lpEnvironment (or
// our view). Only host executables run; anything else is ERROR_BAD_EXE_FORMAT.
BOOL CreateProcess(LPCSTR lpApplicationName, LPSTR lpCommandLine, LPSECURITY_ATTRIBUTES lpProcessAttributes,
                   LPSECURITY_ATTRIBUTES lpThreadAttributes, BOOL bInheritHandles, DWORD dwCreationFlags,
                   LPVOID lpEnvironment, LPCSTR lpCurrentDirectory, LPSTARTUPINFOA lpStartupInfo,
                   LPPROCESS_INFORMATION lpProcessInformation);
// Runs lpFile (verb NULL or "open") with the command line "\"<full path>\" <parameters>" in
// lpDirectory; hInstApp > 32 on success, an SE_ERR_* value otherwise.
BOOL ShellExecuteEx(LPSHELLEXECUTEINFOA lpExecInfo);
// CreateProcess of the command line; > 31 on success, else 0, ERROR_FILE_NOT_FOUND,
// ERROR_PATH_NOT_FOUND or ERROR_BAD_FORMAT.
UINT WinExec(LPCSTR lpCmdLine, UINT uCmdShow);

// Waits for a process (or its thread) handle in real time, never longer than the guard, leaving
// the virtual clock alone. WAIT_OBJECT_0 when it ended; WAIT_TIMEOUT after dwMilliseconds, after
// the guard, or at once when the calling thread has outside input pending (win/outside_input.h).
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
// The exit code, or STILL_ACTIVE while the process runs.
BOOL GetExitCodeProcess(HANDLE hProcess, LPDWORD lpExitCode);
// Kills the process; its exit code becomes uExitCode.
BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode);
// The pseudo handle of the calling process.
HANDLE GetCurrentProcess();
DWORD GetCurrentProcessId();
// Detaches the loaded libraries and ends the process (the host keeps the low 8 bits).
[[noreturn]] void ExitProcess(UINT uExitCode);

// The process's Windows command line: as the parent gave it, or the host arguments joined
// (the first word being the module path; declare it before the first call).
LPSTR GetCommandLine();
// A variable of the environment view: its length (without the NUL) when it fits in nSize, else
// the size needed (with the NUL); 0 with ERROR_ENVVAR_NOT_FOUND when absent.
DWORD GetEnvironmentVariable(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
// Sets a variable of the view; a NULL value removes it.
BOOL SetEnvironmentVariable(LPCSTR lpName, LPCSTR lpValue);

// Declares the Windows module path of a program started from the host shell outside every drive.
bool declareModulePath(std::string_view windowsPath);

// The shared counter of the calling program's file, as InterlockedIncrement and
// InterlockedDecrement on a shared section holding -1 see it: every process of the same file
// sees one value, which starts again from -1 once no process of the file is left.
LONG incrementInstanceCount();
LONG decrementInstanceCount();

// The arguments of a Windows command line by the C runtime's rules (argv[0] by the
// program-name rule: quotes group, backslashes are plain).
std::vector<std::string> splitCommandLine(std::string_view line);
// An argument as a command line holds it: quoted when empty or holding a blank or tab, with
// quotes and the backslashes before them escaped.
std::string quoteArgument(std::string_view argument);
// Arguments joined by blanks, each quoted as needed.
std::string joinCommandLine(const std::vector<std::string>& arguments);

}  // namespace win
