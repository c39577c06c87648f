// Opcodes of the script records the interpreter names.
#pragma once

namespace merl {

inline constexpr int kOpInstallFile = 0;
inline constexpr int kOpNothing = 2;
inline constexpr int kOpMessageBox = 3;
inline constexpr int kOpProgman = 4;
inline constexpr int kOpIni = 5;
inline constexpr int kOpBitmap = 6;
inline constexpr int kOpExecute = 7;
inline constexpr int kOpEnd = 8;
inline constexpr int kOpLibraryCall = 9;
inline constexpr int kOpRegistry = 10;
inline constexpr int kOpDeleteFiles = 11;
inline constexpr int kOpIf = 12;
inline constexpr int kOpElse = 13;
inline constexpr int kOpProgmanOpen = 15;
inline constexpr int kOpProgmanClose = 16;
inline constexpr int kOpMakeDirectory = 17;
inline constexpr int kOpInstallSource = 18;
inline constexpr int kOpDialog = 20;
inline constexpr int kOpSystemInfo = 21;
inline constexpr int kOpTempFile = 22;
inline constexpr int kOpSound = 23;
inline constexpr int kOpExit = 24;
inline constexpr int kOpOdbcDriver = 25;
inline constexpr int kOpOdbcSource = 26;
inline constexpr int kOpRemark = 27;
inline constexpr int kOpLogText = 28;
inline constexpr int kOpRename = 29;
inline constexpr int kOpLogControl = 30;

}  // namespace merl
