// The support files the installation file carries before the dialog block:
// ExtractSupportFile, the start-up pass over files 3 to 10, and their removal.
#pragma once

#include <string>

#include "run.h"

namespace merl {

inline constexpr int kSupportCtl3d9x = 3;
inline constexpr int kSupportHook = 4;
inline constexpr int kSupportSelfRegister = 5;
inline constexpr int kSupportProgress = 6;
inline constexpr int kSupportInternet = 7;
inline constexpr int kSupportCtl3dNt = 8;
inline constexpr int kSupportRestartLauncher = 9;
inline constexpr int kSupportSystemRestart = 10;

// Option bits that pick support files.
inline constexpr DWORD kOptionPrivateCtl3d = 0x10;
inline constexpr DWORD kOptionRestartLauncher = 0x2000;
inline constexpr DWORD kOptionHook = 0x8000;
inline constexpr DWORD kOptionSelfRegister = 0x20000;

// Makes a temporary file with prefix "QD" + letter (letter 0: "QDH"; '_': the made name with
// "EXE" as its last three characters) and copies support file number's bytes into it. 0, or 1
// after "Internal Error" when the file cannot be made or its bytes could not be copied whole
// (nothing is left behind then); name is empty on failure.
int ExtractSupportFile(std::string& name, char letter, int number);

// Support files 3 to 7 (with their libraries), in number order; false ends the run.
bool ExtractFirstSupportFiles();
// Support files 8 to 10, after which the dialog block follows; CTL3D is set up between 8 and 9.
bool ExtractCtl3dNtFile();
bool ExtractLastSupportFiles();

// Skips support file number's bytes in the installation file.
void SkipSupportFile(int number);

// Tells the internet transfer library to close (its transfer with empty arguments) and frees it.
void CloseInternetLibrary();

// The end of the run: the progress library gets command 3, the libraries are freed and every
// extracted support file that was not handed back or moved is deleted.
void RemoveSupportFiles();

}  // namespace merl
