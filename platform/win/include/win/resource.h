// Resources: every module (a library, or the executable for NULL) may export
// one table "ids_resource_table" of typed, numbered or named byte blocks; the
// Windows calls and the lookup the window, dialog and drawing layers use read it.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "win/types.h"

namespace win {

// One resource: a type and a name, each a number (its name null) or a text.
// Strings (RT_STRING) are one entry per string id holding the ANSI text, not
// the 16-string blocks of a Windows image; bitmaps are DIBs (header, colours,
// bits) without the file header; dialogs are DLGTEMPLATE bytes.
struct ResourceEntry {
  WORD typeId;           // RT_DIALOG, RT_BITMAP, ... or a private number (0 when typeName is set)
  const char* typeName;  // or a type name
  WORD id;               // the resource's number (0 when name is set)
  const char* name;      // or its name
  const void* data;
  DWORD size;
};

// What a module exports as extern "C" const win::ResourceTable ids_resource_table.
struct ResourceTable {
  const ResourceEntry* entries;
  DWORD count;
};

// Defines the module's table over an array of entries, at namespace scope. The table is exported
// with protected visibility: the module's own references stay on its own table even when the
// executable exports one of the same name (as every module does).
#define IDS_WIN_RESOURCE_TABLE(entries)                                                                   \
  extern "C" __attribute__((visibility("protected"))) const ::win::ResourceTable ids_resource_table;  \
  const ::win::ResourceTable ids_resource_table {                                                        \
    entries, static_cast<::win::DWORD>(sizeof(entries) / sizeof((entries)[0]))                         \
  }

// Type and name arguments are numbers made with MAKEINTRESOURCE (win/types.h) or texts.

inline constexpr WORD RT_CURSOR_ID = 1;
inline constexpr WORD RT_BITMAP_ID = 2;
inline constexpr WORD RT_ICON_ID = 3;
inline constexpr WORD RT_MENU_ID = 4;
inline constexpr WORD RT_DIALOG_ID = 5;
inline constexpr WORD RT_STRING_ID = 6;
inline constexpr WORD RT_RCDATA_ID = 10;
inline constexpr WORD RT_GROUP_ICON_ID = 14;
inline const LPCSTR RT_CURSOR = MAKEINTRESOURCE(RT_CURSOR_ID);
inline const LPCSTR RT_BITMAP = MAKEINTRESOURCE(RT_BITMAP_ID);
inline const LPCSTR RT_ICON = MAKEINTRESOURCE(RT_ICON_ID);
inline const LPCSTR RT_MENU = MAKEINTRESOURCE(RT_MENU_ID);
inline const LPCSTR RT_DIALOG = MAKEINTRESOURCE(RT_DIALOG_ID);
inline const LPCSTR RT_STRING = MAKEINTRESOURCE(RT_STRING_ID);
inline const LPCSTR RT_RCDATA = MAKEINTRESOURCE(RT_RCDATA_ID);
inline const LPCSTR RT_GROUP_ICON = MAKEINTRESOURCE(RT_GROUP_ICON_ID);

// A resource's bytes, valid while its module stays loaded.
struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

// The lookup of the other layers: the bytes of a resource of a module (NULL: the executable);
// nullopt with ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND,
// ERROR_RESOURCE_DATA_NOT_FOUND (no table) or ERROR_INVALID_HANDLE (no such module).
std::optional<ResourceBytes> findResourceBytes(HMODULE module, LPCSTR type, LPCSTR name);

// A resource of a module; its handle is a small number, the same for each lookup.
HRSRC FindResource(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
// The resource's data (no copy is made, so LockResource gives the same address).
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
// Copies string uID, cut to cchBufferMax - 1 characters and NUL-ended; its length, or 0.
int LoadString(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);

}  // namespace win
