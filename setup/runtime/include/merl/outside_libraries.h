// The calls the runtime makes into libraries outside it: the support libraries
// the installation file carries (hook, progress, internet transfer), CTL3D32,
// ismif32, MSVFW32, the administrator test and external action libraries.
// Only these names and signatures are fixed; what the libraries do is theirs.
#pragma once

#include "merl/setup_interface.h"

namespace merl {

using win::HINSTANCE;
using win::HWND;
using win::INT;
using win::LPARAM;
using win::LPCSTR;
using win::LPSTR;
using win::LRESULT;
using win::UINT;
using win::WPARAM;

// Hook library (support file 4), export "f1": called for every installed file with the
// working file, the record's hook parameter, a second copy of the working file's path, the
// current message table and a 256-byte error text; nonzero refuses the file.
inline constexpr const char* kHookExport = "f1";
inline constexpr std::size_t kHookErrorTextSize = 256;
using HookProc = INT (*)(LPSTR workingFile, LPCSTR parameter, LPSTR secondPath, const char* const* messages,
                         LPSTR errorText);

// Progress library (support file 6), export "Update" (command, dialog position code, the
// internal action block, text or null, total and file per-mille). Nonzero is a window: after
// command 0 one that CTL3D subclasses, after command 1 the owner of the cancel question.
inline constexpr const char* kProgressExport = "Update";
inline constexpr INT kProgressStart = 0;
inline constexpr INT kProgressShow = 1;
inline constexpr INT kProgressClose = 2;
inline constexpr INT kProgressEnd = 3;
using ProgressUpdateProc = HWND (*)(INT command, INT position, ActionParams* block, LPCSTR text, INT totalPerMille,
                                    INT filePerMille);

// Internet transfer library (support file 7): "t1" transfers source to destination (0 or
// more is success, negative an error number shown with the 256-byte detail text); "t2" is
// what the exported HandleFtp forwards to.
inline constexpr const char* kTransferExport = "t1";
inline constexpr const char* kTransferControlExport = "t2";
inline constexpr std::size_t kTransferDetailSize = 256;
using TransferProc = INT (*)(DWORD* abortFlag, LPCSTR source, LPCSTR destination, HWND mainWindow, DWORD* bytesDone,
                             INT a, INT b, INT c, INT d, LPSTR detail);
using TransferControlProc = INT (*)(DWORD first, DWORD second, DWORD third);

// ismif32.dll, export "InstallStatusMIF": MIF name, manufacturer, product, version, locale,
// serial, status text, status. Nonzero lets the caller release the library.
inline constexpr const char* kStatusMifExport = "InstallStatusMIF";
using InstallStatusMifProc = win::BOOL (*)(LPCSTR mif, LPCSTR manufacturer, LPCSTR product, LPCSTR version,
                                           LPCSTR locale, LPCSTR serial, LPCSTR statusText, INT status);

// CTL3D32.DLL.
inline constexpr const char* kCtl3dRegisterExport = "Ctl3dRegister";
inline constexpr const char* kCtl3dUnregisterExport = "Ctl3dUnregister";
inline constexpr const char* kCtl3dAutoSubclassExport = "Ctl3dAutoSubclass";
inline constexpr const char* kCtl3dDlgFramePaintExport = "Ctl3dDlgFramePaint";
inline constexpr const char* kCtl3dSubclassDlgExExport = "Ctl3dSubclassDlgEx";
using Ctl3dInstanceProc = win::BOOL (*)(HINSTANCE instance);  // Ctl3dRegister, Ctl3dUnregister, Ctl3dAutoSubclass
using Ctl3dDlgFramePaintProc = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
using Ctl3dSubclassDlgExProc = win::BOOL (*)(HWND dialog, DWORD flags);

// MSVFW32.DLL, export "MCIWndCreateA": a video child window of parent for file.
inline constexpr const char* kVideoWindowExport = "MCIWndCreateA";
using VideoWindowCreateProc = HWND (*)(HWND parent, HINSTANCE instance, DWORD style, LPCSTR file);

// The administrator-test library, export "IsAdmin": nonzero for an administrator.
inline constexpr const char* kAdminTestExport = "IsAdmin";
using AdminTestProc = win::BOOL (*)();

// The DirectX set-up library, export "DirectXSetup" (else "DirectXSetupA"): below 0 an error,
// 1 a restart needed.
inline constexpr const char* kDirectXSetupExport = "DirectXSetup";
inline constexpr const char* kDirectXSetupAnsiExport = "DirectXSetupA";
using DirectXSetupProc = INT (*)(HWND window, LPSTR sourceDirectory, DWORD flags);

// A function of an external action library. It gets the external form when the library
// came through the preferred load, the internal form otherwise; the first WORD of either
// block is its size, which tells them apart.
using ExternalActionProc = INT (*)(void* block);

// Self-registration of a module that is no PE file: "OLE2.DLL" ("OleInitialize" with no
// reserved argument, 0 = ready; "OleUninitialize"), the optional "OC25.DLL", and the
// module's own "DllRegisterServer" (0 = registered).
inline constexpr const char* kOleLibrary = "OLE2.DLL";
inline constexpr const char* kOleInitializeExport = "OleInitialize";
inline constexpr const char* kOleUninitializeExport = "OleUninitialize";
inline constexpr const char* kOleControlsLibrary = "OC25.DLL";
inline constexpr const char* kRegisterServerExport = "DllRegisterServer";
using OleInitializeProc = win::LONG (*)(win::LPVOID reserved);
using OleUninitializeProc = void (*)();
using RegisterServerProc = win::LONG (*)();
// The ODBC installer libraries "ODBCINST.DLL" and "ODBCCP32.DLL".
inline constexpr const char* kOdbcInstallLibrary = "ODBCINST.DLL";
inline constexpr const char* kOdbcControlLibrary = "ODBCCP32.DLL";
inline constexpr const char* kOdbcDriverManagerExport = "SQLInstallDriverManager";
inline constexpr const char* kOdbcDriverExport = "SQLInstallDriver";
inline constexpr const char* kOdbcConfigExport = "SQLConfigDataSource";
inline constexpr win::WORD kOdbcAddDsn = 1;
inline constexpr win::WORD kOdbcConfigDsn = 2;
inline constexpr win::WORD kOdbcAddSysDsn = 4;
inline constexpr win::WORD kOdbcConfigSysDsn = 5;
// SQLInstallDriverManager(path out, its size, length out).
using OdbcDriverManagerProc = win::BOOL (*)(LPSTR path, win::WORD pathMax, win::WORD* pathOut);
// SQLInstallDriver(INF file or null, driver description, path out, its size, length out).
using OdbcDriverProc = win::BOOL (*)(LPCSTR infFile, LPCSTR driver, LPSTR path, win::WORD pathMax, win::WORD* pathOut);
// SQLConfigDataSource(owner, request, driver, attributes).
using OdbcConfigProc = win::BOOL (*)(HWND owner, win::WORD request, LPCSTR driver, LPCSTR attributes);

}  // namespace merl
