// Values of the uninstaller that its own texts leave open, chosen once here
// (the README section of the uninstaller lists them).
#pragma once

#include <cstddef>
#include <cstdint>

namespace remvex {

// Log lines are read whole up to this many characters; a longer line is ignored.
inline constexpr std::size_t kLogLineLimit = 4096;
// The shared read buffer of the log reader.
inline constexpr std::size_t kReadBufferSize = 1024;
// Records per item list; a record past this is dropped.
inline constexpr std::size_t kListCapacity = 4096;

// Field sizes in bytes (a field of n bytes holds n - 1 characters; longer texts drop the entry).
inline constexpr std::size_t kPathField = 260;
inline constexpr std::size_t kTextField = 256;
inline constexpr std::size_t kValueField = 512;
inline constexpr std::size_t kDataField = 2048;
inline constexpr std::size_t kProductField = 128;
inline constexpr std::size_t kTitleField = 256;

// The log's own directory belongs to every installation.
inline constexpr std::uint16_t kEveryInstallation = 32767;

// Highest root and type numbers of the registry tables.
inline constexpr std::uint32_t kLastRegistryRoot = 4;
inline constexpr std::uint32_t kLastRegistryType = 4;

// WININIT.INI: at most this many of its last bytes are read to find its last section.
inline constexpr std::size_t kWininitReadLimit = 65536;

// The temporary copy: GetTempFileName's prefix and unique number (QDB1A2B.TMP, made .EXE).
inline constexpr const char* kTempCopyPrefix = "QDB";
inline constexpr unsigned kTempCopyUnique = 6699;

// The second stage: its timer, and how long (real time) it retries deleting a busy first-stage
// program that is still ending.
inline constexpr unsigned kSecondStageTimerId = 8298;
inline constexpr unsigned kSecondStageWaitMs = 1000;
inline constexpr int kBusyDeleteRetryMs = 10000;
inline constexpr int kBusyDeletePauseMs = 50;

// The restart program: its resource and the file it is written to in the Windows directory.
inline constexpr unsigned kRestartResourceType = 300;
inline constexpr unsigned kRestartResourceId = 30202;
inline constexpr const char* kRestartFileName = "_MSRSTRT.EXE";
// Written first under this name, then renamed to the one above.
inline constexpr const char* kRestartStagingName = "_MSRSTRT.NEW";

// A message text after the '|' expansion and the "%s" replacement is cut to this size.
inline constexpr std::size_t kMessageSize = 1024;

// Texts the uninstaller's own description does not give.
inline constexpr const char* kMessage28 =
    "The database engine is in use. Close every program that uses it and press Retry, or press Ignore to go on.";
inline constexpr const char* kMessage33 = "Removing INI File:\r\n";
inline constexpr const char* kMessage34 = "Restoring INI Entry:\r\n";
inline constexpr const char* kMessage35 = "Removing Registry Key:\r\n";
inline constexpr const char* kMessage36 = "Restoring Registry Value:\r\n";
inline constexpr const char* kMessage37 = "Removing Program Icon:\r\n";
inline constexpr const char* kMessage56 = "Removing Registry Tree:\r\n";

// The background window and the wizard.
inline constexpr int kGradientBands = 96;
inline constexpr const char* kMainClassName = "QDTXUninstall";
inline constexpr unsigned kMainIconId = 101;
inline constexpr unsigned kSharedDialogId = 104;
inline constexpr unsigned kWizardBitmapId = 105;
inline constexpr unsigned kWizardDialogId = 106;
inline constexpr int kWizardBitmapWidth = 122;
inline constexpr int kWizardBitmapHeight = 262;
// The wizard's list lines are cut to this many characters (a registry value's old text to 255).
inline constexpr std::size_t kListLineLimit = 1023;
inline constexpr std::size_t kOldTextLimit = 255;
// The progress blocks' colour (dark blue) and the Ctl3dSubclassDlgEx flags.
inline constexpr unsigned kProgressColour = 0x7F0000;
inline constexpr unsigned kCtl3dDialogFlags = 0x38;

}  // namespace remvex

namespace remvex {

// The undo's work buffers and waits.
inline constexpr std::size_t kProgmanBufferSize = 16384;  // one Program Manager answer
inline constexpr unsigned kServiceDeleteWaitMs = 3500;    // after a deleted service
inline constexpr unsigned kProgressWaitMs = 10;           // after each progress text
inline constexpr unsigned kUndoTimerId = 8298;
inline constexpr std::size_t kActionTextSize = 64;        // one action text, NUL included

}  // namespace remvex
