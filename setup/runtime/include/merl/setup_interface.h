// The runtime's public interface: the setup record the setup program shares with
// MerlMain, both forms of the action parameter block, the setup program's copy
// and checksum callbacks, and every export of libMERL0132.so (all extern "C").
//
// Layout rule of this build (x86-64 and other 64-bit targets): the fields keep the
// order of the 32-bit records; u32 fields stay 32 bits; the one-byte fields keep
// their 4-byte slots (the byte, then 3 reserved bytes); handles, addresses and
// callbacks become pointer-width. The unnamed gaps of the 32-bit setup record are
// reserved fields, so the sizes from the script length on still form one run of
// u32 values in which entry n is the size of support file n. Padding that the
// wider fields bring is written out as reserved fields: no implicit holes.
// On a 32-bit build every offset is the 32-bit record's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "win/types.h"

#if UINTPTR_MAX > 0xFFFFFFFFu
#define MERL_WIDE_BUILD 1
#else
#define MERL_WIDE_BUILD 0
#endif

namespace merl {

using win::BYTE;
using win::DWORD;
using win::HANDLE;
using win::HGDIOBJ;
using win::HGLOBAL;
using win::HINSTANCE;
using win::HWND;
using win::INT;
using win::LPVOID;
using win::WORD;

inline constexpr bool kWideBuild = MERL_WIDE_BUILD;
static_assert(kWideBuild == (sizeof(void*) == 8));

// The setup program's copy routine: copies or expands count bytes from the
// installation file (source) at its current position into destination, or, with
// no destination (null), into the setup record's copy destination memory. It
// advances the record's read offset by what it consumed. context is the address
// of the install-file record's u32 checksum, null elsewhere. Failures are
// reported through the record (error byte 2 = read error, 1 = write error; abort
// flag); the result is the number of bytes copied, which the runtime does not use.
using CopyCallback = DWORD (*)(HANDLE source, HANDLE destination, DWORD count, LPVOID context);

// The setup program's running checksum: (0, null, 0) starts one and gives its
// initial value; each later call feeds count bytes of data to the running value
// and gives the new one.
using ChecksumCallback = DWORD (*)(DWORD value, const void* data, DWORD count);

inline constexpr int kFirstSupportFile = 3;
inline constexpr int kLastSupportFile = 10;

// The record the setup program fills and shares with the runtime for a whole run.
//
//   field                    32-bit  this build (64-bit)
//   mainWindow               +0x00   +0x00  (8)
//   setupInstance            +0x04   +0x08  (8)
//   readOffset               +0x08   +0x10
//   diskBaseOffset           +0x0c   +0x14
//   reserved10               +0x10   +0x18
//   bytesDone                +0x14   +0x1c
//   installFile              +0x18   +0x20  (8; INVALID_HANDLE_VALUE = closed)
//   abortFlag                +0x1c   +0x28
//   errorByte                +0x20   +0x2c  (1, then 3 reserved)
//   screenWidth              +0x24   +0x30
//   screenHeight             +0x28   +0x34
//   waitFlag                 +0x2c   +0x38
//   silentFlag               +0x30   +0x3c
//   optionWord               +0x34   +0x40
//   displayFlags             +0x38   +0x44  (1, then 3 reserved)
//   drawingObject            +0x3c   +0x48  (8)
//   scriptLength             +0x40   +0x50  u32 run: entry 0
//   reserved44               +0x44   +0x54           entry 1
//   reserved48               +0x48   +0x58           entry 2
//   supportSizes[0..7]       +0x4c   +0x5c           entries 3..10 (support files 3..10)
//   dialogBlockStoredSize    +0x6c   +0x7c
//   dialogBlockSize          +0x70   +0x80
//   reserved74               +0x74   +0x84
//   onExitOffset             +0x78   +0x88
//   onCancelOffset           +0x7c   +0x8c
//   scriptMemory             +0x80   +0x90  (8)
//   scriptImage              +0x84   +0x98  (8; the image holds scriptLength + 1 bytes)
//   copyDestination          +0x88   +0xa0  (8)
//   copyCallback             +0x8c   +0xa8  (8)
//   checksumCallback         +0x90   +0xb0  (8)
//   messageTable             +0x94   +0xb8  (8; 45 message texts of the current language)
//   size                     0x98    0xc0
struct SetupRec {
  HWND mainWindow;
  HINSTANCE setupInstance;
  DWORD readOffset;
  DWORD diskBaseOffset;
  DWORD reserved10;
  DWORD bytesDone;
  HANDLE installFile;
  DWORD abortFlag;
  BYTE errorByte;
  BYTE reserved21[3];
  DWORD screenWidth;
  DWORD screenHeight;
  DWORD waitFlag;
  DWORD silentFlag;
  DWORD optionWord;
  BYTE displayFlags;
  BYTE reserved39[3];
  HGDIOBJ drawingObject;
  DWORD scriptLength;
  DWORD reserved44;
  DWORD reserved48;
  DWORD supportSizes[kLastSupportFile - kFirstSupportFile + 1];
  DWORD dialogBlockStoredSize;
  DWORD dialogBlockSize;
  DWORD reserved74;
  DWORD onExitOffset;
  DWORD onCancelOffset;
  HGLOBAL scriptMemory;
  BYTE* scriptImage;
  LPVOID copyDestination;
  CopyCallback copyCallback;
  ChecksumCallback checksumCallback;
  const char* const* messageTable;
};

// The size of support file number (3..10); 0 for any other number.
inline DWORD supportFileSize(const SetupRec& setup, int number) {
  if (number < kFirstSupportFile || number > kLastSupportFile) return 0;
  return setup.supportSizes[number - kFirstSupportFile];
}

#define MERL_SETUP_AT(field, at32, at64) \
  static_assert(offsetof(SetupRec, field) == (kWideBuild ? (at64) : (at32)), #field)
MERL_SETUP_AT(mainWindow, 0x00, 0x00);
MERL_SETUP_AT(setupInstance, 0x04, 0x08);
MERL_SETUP_AT(readOffset, 0x08, 0x10);
MERL_SETUP_AT(diskBaseOffset, 0x0c, 0x14);
MERL_SETUP_AT(reserved10, 0x10, 0x18);
MERL_SETUP_AT(bytesDone, 0x14, 0x1c);
MERL_SETUP_AT(installFile, 0x18, 0x20);
MERL_SETUP_AT(abortFlag, 0x1c, 0x28);
MERL_SETUP_AT(errorByte, 0x20, 0x2c);
MERL_SETUP_AT(screenWidth, 0x24, 0x30);
MERL_SETUP_AT(screenHeight, 0x28, 0x34);
MERL_SETUP_AT(waitFlag, 0x2c, 0x38);
MERL_SETUP_AT(silentFlag, 0x30, 0x3c);
MERL_SETUP_AT(optionWord, 0x34, 0x40);
MERL_SETUP_AT(displayFlags, 0x38, 0x44);
MERL_SETUP_AT(drawingObject, 0x3c, 0x48);
MERL_SETUP_AT(scriptLength, 0x40, 0x50);
MERL_SETUP_AT(reserved44, 0x44, 0x54);
MERL_SETUP_AT(reserved48, 0x48, 0x58);
MERL_SETUP_AT(supportSizes, 0x4c, 0x5c);
MERL_SETUP_AT(dialogBlockStoredSize, 0x6c, 0x7c);
MERL_SETUP_AT(dialogBlockSize, 0x70, 0x80);
MERL_SETUP_AT(reserved74, 0x74, 0x84);
MERL_SETUP_AT(onExitOffset, 0x78, 0x88);
MERL_SETUP_AT(onCancelOffset, 0x7c, 0x8c);
MERL_SETUP_AT(scriptMemory, 0x80, 0x90);
MERL_SETUP_AT(scriptImage, 0x84, 0x98);
MERL_SETUP_AT(copyDestination, 0x88, 0xa0);
MERL_SETUP_AT(copyCallback, 0x8c, 0xa8);
MERL_SETUP_AT(checksumCallback, 0x90, 0xb0);
MERL_SETUP_AT(messageTable, 0x94, 0xb8);
#undef MERL_SETUP_AT
static_assert(sizeof(SetupRec) == (kWideBuild ? 0xc0 : 0x98));
// Support file n's size is entry n of the u32 run that starts at the script length.
static_assert(offsetof(SetupRec, supportSizes) == offsetof(SetupRec, scriptLength) + 4 * kFirstSupportFile);
static_assert(offsetof(SetupRec, dialogBlockStoredSize) ==
              offsetof(SetupRec, scriptLength) + 4 * (kLastSupportFile + 1));

// The action parameter block passed to the runtime's numbered actions, to
// libraries of the fallback load path and to the progress library.
//
//   field              32-bit     this build (64-bit)
//   size               +0  u16    +0  u16 (holds 80 here, 44 on 32-bit)
//   reserved2          +2  u16    +2  u16
//   reserved4          -          +4  u32 (alignment)
//   mainWindow         +4         +8  (8)
//   slotLimit          +8  u16    +16 u16
//   nameSlotSize       +10 u16    +18 u16
//   valueSlotSize      +12 u16    +20 u16
//   variableCount      +14 u16    +22 u16
//   names              +16        +24 (8)
//   values             +20        +32 (8)
//   runState           +24 byte   +40 byte, then 3 reserved
//   reserved44         -          +44 u32 (alignment)
//   logHandle          +28        +48 (8; INVALID_HANDLE_VALUE = no log)
//   parameterText      +32        +56 (8)
//   messageTable       +36        +64 (8)
//   editedFileFlags    +40 u16    +72 u16
//   reserved74         +42 u16    +74 u16
//   reserved76         -          +76 u32 (alignment)
//   size               44         80
struct ActionParams {
  WORD size;
  WORD reserved2;
#if MERL_WIDE_BUILD
  DWORD reserved4;
#endif
  HWND mainWindow;
  WORD slotLimit;
  WORD nameSlotSize;
  WORD valueSlotSize;
  WORD variableCount;
  char* names;
  char* values;
  BYTE runState;
  BYTE reserved25[3];
#if MERL_WIDE_BUILD
  DWORD reserved44;
#endif
  HANDLE logHandle;
  char* parameterText;
  const char* const* messageTable;
  WORD editedFileFlags;
  WORD reserved74;
#if MERL_WIDE_BUILD
  DWORD reserved76;
#endif
};

#define MERL_ACTION_AT(field, at32, at64) \
  static_assert(offsetof(ActionParams, field) == (kWideBuild ? (at64) : (at32)), #field)
MERL_ACTION_AT(size, 0, 0);
MERL_ACTION_AT(reserved2, 2, 2);
MERL_ACTION_AT(mainWindow, 4, 8);
MERL_ACTION_AT(slotLimit, 8, 16);
MERL_ACTION_AT(nameSlotSize, 10, 18);
MERL_ACTION_AT(valueSlotSize, 12, 20);
MERL_ACTION_AT(variableCount, 14, 22);
MERL_ACTION_AT(names, 16, 24);
MERL_ACTION_AT(values, 20, 32);
MERL_ACTION_AT(runState, 24, 40);
MERL_ACTION_AT(logHandle, 28, 48);
MERL_ACTION_AT(parameterText, 32, 56);
MERL_ACTION_AT(messageTable, 36, 64);
MERL_ACTION_AT(editedFileFlags, 40, 72);
MERL_ACTION_AT(reserved74, 42, 74);
#undef MERL_ACTION_AT
static_assert(sizeof(ActionParams) == (kWideBuild ? 80 : 44));

// The parameter block passed to a function of an external library loaded through
// the preferred path; every field is 32 bits or pointer-width.
//
//   field              32-bit  this build (64-bit)
//   size               +0      +0  (holds 96 here, 56 on 32-bit)
//   reserved4          -       +4  (alignment)
//   mainWindow         +4      +8  (8)
//   slotLimit          +8      +16
//   nameSlotSize       +12     +20
//   valueSlotSize      +16     +24
//   variableCount      +20     +28
//   names              +24     +32 (8)
//   values             +28     +40 (8)
//   runState           +32     +48
//   reserved52         -       +52 (alignment)
//   logHandle          +36     +56 (8)
//   parameterText      +40     +64 (8)
//   message17          +44     +72 (8)
//   message44          +48     +80 (8)
//   silentFlag         +52     +88
//   reserved92         -       +92 (alignment)
//   size               56      96
struct ExternalActionParams {
  DWORD size;
#if MERL_WIDE_BUILD
  DWORD reserved4;
#endif
  HWND mainWindow;
  DWORD slotLimit;
  DWORD nameSlotSize;
  DWORD valueSlotSize;
  DWORD variableCount;
  char* names;
  char* values;
  DWORD runState;
#if MERL_WIDE_BUILD
  DWORD reserved52;
#endif
  HANDLE logHandle;
  char* parameterText;
  const char* message17;
  const char* message44;
  DWORD silentFlag;
#if MERL_WIDE_BUILD
  DWORD reserved92;
#endif
};

#define MERL_EXTERNAL_AT(field, at32, at64) \
  static_assert(offsetof(ExternalActionParams, field) == (kWideBuild ? (at64) : (at32)), #field)
MERL_EXTERNAL_AT(size, 0, 0);
MERL_EXTERNAL_AT(mainWindow, 4, 8);
MERL_EXTERNAL_AT(slotLimit, 8, 16);
MERL_EXTERNAL_AT(nameSlotSize, 12, 20);
MERL_EXTERNAL_AT(valueSlotSize, 16, 24);
MERL_EXTERNAL_AT(variableCount, 20, 28);
MERL_EXTERNAL_AT(names, 24, 32);
MERL_EXTERNAL_AT(values, 28, 40);
MERL_EXTERNAL_AT(runState, 32, 48);
MERL_EXTERNAL_AT(logHandle, 36, 56);
MERL_EXTERNAL_AT(parameterText, 40, 64);
MERL_EXTERNAL_AT(message17, 44, 72);
MERL_EXTERNAL_AT(message44, 48, 80);
MERL_EXTERNAL_AT(silentFlag, 52, 88);
#undef MERL_EXTERNAL_AT
static_assert(sizeof(ExternalActionParams) == (kWideBuild ? 96 : 56));

// What the size fields hold on this build, so a library can tell the forms apart.
inline constexpr WORD kActionParamsSize = sizeof(ActionParams);
inline constexpr DWORD kExternalActionParamsSize = sizeof(ExternalActionParams);

// A numbered action and the numbers that exist (exported as "f<number>").
using NumberedAction = INT (*)(ActionParams* params);
inline constexpr int kNumberedActions[] = {0,  1,  2,  3,  8,  9,  10, 11, 12, 13, 15, 16, 17, 19,
                                           20, 21, 22, 23, 25, 27, 28, 29, 30, 31, 33, 34, 35};
static_assert(std::size(kNumberedActions) == 27);

}  // namespace merl

// The exports of libMERL0132.so. The Windows calling convention of the 32-bit
// library has no counterpart here: every export uses the platform's C convention.
extern "C" {

// The library's entry point: keeps its own module handle; always TRUE.
win::BOOL DllMain(win::HINSTANCE instance, win::DWORD reason, win::LPVOID reserved);

// One installation run. Returns 0 when the run ended with result 0, else 1;
// *exitCode gets the setup program's exit code; program and arguments (256 bytes
// each, the caller's) receive a program the setup program is to start afterwards.
win::INT MerlMain(merl::SetupRec* setup, win::LPCSTR commandLine, win::INT* exitCode, win::LPSTR program,
                  win::LPSTR arguments);

// Repaints the progress display and, with flag set and pauses allowed, waits 500 ms; returns 0.
win::INT UpdateScreen(win::INT flag);
// Forwards to the internet transfer library's "t2"; 0 before that function is known.
win::INT HandleFtp(win::DWORD first, win::DWORD second, win::DWORD third);
// Looks for the next disk file; 0 = a disk file is open, 1 = not (the abort flag says why).
win::INT DiskPrompt(win::INT atEnd, win::INT reopen);
// Writes count bytes to an open file; the count written, 0 on error.
win::DWORD FileWrite(win::HANDLE file, win::LPCVOID buffer, win::DWORD count);
// The DDE server's callback (service "MerlInst"): requests read script variables.
win::HDDEDATA DDECallback(win::UINT type, win::UINT format, win::HCONV conversation, win::HSZ topic, win::HSZ item,
                          win::HDDEDATA data, win::ULONG_PTR data1, win::ULONG_PTR data2);

// Dialog procedures of the runtime's dialogs, and the wizard frame's window procedure.
win::INT_PTR MessageBoxDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
win::INT_PTR CopyDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
win::INT_PTR PathNameDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
win::INT_PTR LanguageDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
win::INT_PTR SearchDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
win::INT_PTR CustomDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
win::LRESULT WizardDlg(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Paints the placed graphics into the setup program's background window; the first argument is ignored.
void DisplayGraphics(win::LONG_PTR ignored, win::HDC dc);

// The numbered actions: one ActionParams (internal form) each, a 32-bit result.
win::INT f0(merl::ActionParams* params);
win::INT f1(merl::ActionParams* params);
win::INT f2(merl::ActionParams* params);
win::INT f3(merl::ActionParams* params);
win::INT f8(merl::ActionParams* params);
win::INT f9(merl::ActionParams* params);
win::INT f10(merl::ActionParams* params);
win::INT f11(merl::ActionParams* params);
win::INT f12(merl::ActionParams* params);
win::INT f13(merl::ActionParams* params);
win::INT f15(merl::ActionParams* params);
win::INT f16(merl::ActionParams* params);
win::INT f17(merl::ActionParams* params);
win::INT f19(merl::ActionParams* params);
win::INT f20(merl::ActionParams* params);
win::INT f21(merl::ActionParams* params);
win::INT f22(merl::ActionParams* params);
win::INT f23(merl::ActionParams* params);
win::INT f25(merl::ActionParams* params);
win::INT f27(merl::ActionParams* params);
win::INT f28(merl::ActionParams* params);
win::INT f29(merl::ActionParams* params);
win::INT f30(merl::ActionParams* params);
win::INT f31(merl::ActionParams* params);
win::INT f33(merl::ActionParams* params);
win::INT f34(merl::ActionParams* params);
win::INT f35(merl::ActionParams* params);

}  // extern "C"
