// Values of the windows half of the emulated machine that no caller prescribes:
// handle numbering, window frame sizes, the fixed text metrics, the waits' guards
// and the answers file's state. Documented in README.md ("Windows, dialogs and drawing").
#pragma once

#include <cstdint>

#include "win/types.h"

namespace win {

// Handle numbers: first value of each kind, then every 4 (never reused within a process).
inline constexpr std::uintptr_t kFirstWindowHandle = 0x10000;
inline constexpr std::uintptr_t kFirstMenuHandle = 0x20000;
inline constexpr std::uintptr_t kFirstGdiHandle = 0x30000;
inline constexpr std::uintptr_t kStockObjectHandleBase = 0x2F000;  // stock object i is base + 4 i
inline constexpr std::uintptr_t kSysColorBrushBase = 0x2F400;      // GetSysColorBrush(i) is base + 4 i
inline constexpr std::uintptr_t kDesktopWindowHandle = 0xFFF0;     // GetDesktopWindow
// Threads get ids 1, 2, 3 ... in the order they first use the window layer.
inline constexpr DWORD kFirstThreadId = 1;

// Frame sizes in pixels (GetSystemMetrics reports the same values).
inline constexpr int kCaptionHeight = 19;  // SM_CYCAPTION: a WS_CAPTION window's title bar
inline constexpr int kDialogFrame = 3;     // SM_CXDLGFRAME, SM_CYDLGFRAME: DS_MODALFRAME, WS_DLGFRAME
inline constexpr int kSizingFrame = 4;     // SM_CXFRAME, SM_CYFRAME: WS_THICKFRAME
inline constexpr int kBorder = 1;          // SM_CXBORDER, SM_CYBORDER: WS_BORDER
inline constexpr int kClientEdge = 2;      // SM_CXEDGE, SM_CYEDGE: WS_EX_CLIENTEDGE

// Text metrics of every font: cell height h = -lfHeight + (-lfHeight) / 5 for a negative
// height, lfHeight for a positive one, kDefaultFontHeight for 0; every character is h / 2
// pixels wide (at least 1); tabs stand every kTabChars characters.
inline constexpr int kDefaultFontHeight = 16;
inline constexpr int kTabChars = 8;
// GetDialogBaseUnits: the system font's average width and height.
inline constexpr int kSystemBaseUnitX = 8;
inline constexpr int kSystemBaseUnitY = 16;
// The stock system font.
inline constexpr const char* kSystemFontFace = "System";

// SetTimer below this many milliseconds uses it (USER_TIMER_MINIMUM).
inline constexpr UINT kTimerMinimumMs = 10;
// An empty PeekMessage moves the virtual clock by this much (less when a timer falls due sooner).
inline constexpr std::uint64_t kEmptyPeekTickMs = 10;
// Empty PeekMessage calls in a row that span more virtual time than this end the process (status 3).
inline constexpr std::uint64_t kIdlePollGuardMs = 3600000;
// A modal dialog told to wait for itself ends the process (status 3) after this much virtual time.
inline constexpr std::uint64_t kDialogWaitGuardMs = 3600000;
// Real-time bound of a wait for outside input, of an answers line's until: hold and of a
// message sent to another thread.
inline constexpr std::uint64_t kOutsideInputGuardMs = 60000;
// Real-time polling step of an until: hold.
inline constexpr std::uint64_t kHoldPollMs = 10;
// Messages one idle pass of a modal loop may dispatch before the loop counts as stuck.
inline constexpr int kIdleMessageLimit = 100000;
// Times a dialog's default button is pressed without a line before the dialog counts as stuck.
inline constexpr int kUnscriptedPressLimit = 100;

// The answers file's shared state in the state directory.
inline constexpr const char* kAnswersUsedName = "answers.used";  // taken line numbers; locked by answers.used.lock

// DDE: handle numbers (instances count 1, 2, 3 ...; the others from their base in steps of 4).
inline constexpr std::uintptr_t kFirstStringHandle = 0xC000;
inline constexpr std::uintptr_t kFirstConversationHandle = 0x50000;
inline constexpr std::uintptr_t kFirstDataHandle = 0x60000;
// Real-time bound of a connect's XTYP_CONNECT on another thread or process.
inline constexpr std::uint64_t kDdeConnectTimeoutMs = 5000;
// Real-time bound of reading a request or writing a reply on the socket bridge.
inline constexpr std::uint64_t kDdeBridgeIoMs = 5000;
// Largest topic, item or data the bridge carries.
inline constexpr std::uint32_t kDdeBridgeMaxBytes = 1u << 20;
// The bridge's sockets: <state>/dde/<service in upper case, other bytes than A-Z 0-9 _ - as %XX>.
inline constexpr const char* kDdeDirName = "dde";
// The Program Manager stand-in's groups: <state>/groups.txt.
inline constexpr const char* kGroupsFileName = "groups.txt";
// dde_request's time-out.
inline constexpr std::uint32_t kDdeRequestToolTimeoutMs = 10000;

// MessageBox's caption when the caller gives none.
inline constexpr const char* kDefaultMessageBoxCaption = "Error";

// Bounds on drawing objects made from caller data.
inline constexpr LONG kMaxBitmapSide = 16384;
inline constexpr DWORD kMaxMetaFileBytes = 16u << 20;
// Pixels the raster canvas holds for one surface; a larger bitmap is traced but not drawn.
inline constexpr long long kMaxCanvasPixels = 16ll << 20;

}  // namespace win
