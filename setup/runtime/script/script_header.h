// The script header as the run keeps it: the settings read from the image, the
// 45 messages of the chosen language, both action parameter blocks, and the
// script position; ReadScriptHeader fills it in six steps.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "run.h"

namespace merl {

inline constexpr int kScriptMessageCount = 45;
inline constexpr int kLanguageBlockStrings = 1 + kScriptMessageCount;  // title, then the messages
inline constexpr int kProductStrings = 7;
inline constexpr DWORD kHeaderStringsAt = 17;
inline constexpr WORD kSlotLimit = 250;

// Header flag bits.
inline constexpr BYTE kDialogPositionMask = 0x0F;
inline constexpr BYTE kProgressPauseFlag = 0x20;
inline constexpr BYTE kNoLogFlag = 0x40;
inline constexpr BYTE kPlacementModeFlag = 0x80;

// Buffers the header strings are cut to (characters, without the NUL).
inline constexpr std::size_t kReservedTextLength = 31;
inline constexpr std::size_t kFaceNameLength = 31;
inline constexpr std::size_t kHeaderPathLength = 255;  // log path, title, piece base name
inline constexpr std::size_t kLanguagesValueLength = 255;

struct ScriptHeader : RunState {
  BYTE flags = 0;
  int dialogPosition = 0;
  bool progressPause = false;
  bool noLog = false;
  bool placementMode = false;
  DWORD totalBytes = 0;
  DWORD diskSize = 0;
  DWORD dataStamp = 0;
  std::string reserved;
  std::string pieceBase;
  std::string logPath;
  std::string faceName;
  BYTE fontSize = 0;
  BYTE charset = 0;
  DWORD diskOffsetAdjust = 0;
  int languageCount = 0;
  int language = 0;  // the current language index
  // MIF name, unused, manufacturer, product, version, serial number, uninstall MIF name.
  std::array<std::string_view, kProductStrings> product;
  std::string title;
  std::array<std::string, kScriptMessageCount> messageTexts;
  std::array<const char*, kScriptMessageCount> messageTable = {};
  bool messagesLoaded = false;
  DWORD position = 0;          // the script position: the first record once the header is read
  DWORD recordAreaLength = 0;  // script length minus header length
  ActionParams internalParams = {};
  ExternalActionParams externalParams = {};
};

// The current run's header.
ScriptHeader& scriptHeader();

// Script message k of the current run; null before the table exists or for k outside 0..44.
const char* scriptMessage(int k);

// Fills the fixed fields of both action parameter blocks (size, main window, the variable
// tables, run state, no log), as the header reader does first.
void FillActionBlocks();

// Reads the current run's script header (see the steps in script_header.cc). 0, or kAbort
// when a language or path question is cancelled or the header is malformed ("Internal Error").
int ReadScriptHeader();

// The default answer of the language choice: WIN.INI [Intl] sLanguage, on NT replaced by
// HKCU "Control Panel\International" sLanguage when that can be read.
std::string defaultLanguageName();

}  // namespace merl
