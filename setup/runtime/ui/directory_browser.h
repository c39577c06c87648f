// The directory browser of custom dialogs: a drive combo with drive types and
// labels or network names, a directory list of the current path's levels and
// subdirectories, and the moves a double-click or a drive change makes.
#pragma once

#include "win/types.h"

namespace merl {

// Folder pictures of the directory list's item data (picture << 16 | level).
inline constexpr int kSubdirectoryPicture = 10;
inline constexpr int kPathLevelPicture = 11;
inline constexpr int kCurrentDirPicture = 12;

// Flags of FillDirectoryList: the name goes on only at a root; only its last component.
inline constexpr unsigned kBrowseNameAtRootOnly = 0x0008;
inline constexpr unsigned kBrowseNameLastPart = 0x0020;

// Lists the drives (not unknown or rootless ones) as "x:  " with the label of a fixed or RAM
// drive or the connection of a remote one, in lower case, with item data
// (type << 16) | index, and selects the current drive. hiddenList receives the raw list.
void FillDriveCombo(win::HWND combo, win::HWND hiddenList);

// Shows the current directory with the entry's name in control listId - 1 (when there is
// one) and fills list listId with the path's levels and the subdirectories (read through
// the hidden list listId + 2); the current directory is selected.
void FillDirectoryList(win::HWND dialog, int listId, const char* entryText, unsigned flags);

// A double-click on the list's selected item: a path level moves there, a subdirectory into
// it, the current directory stays. True when the directory changed (the list is refilled).
bool BrowseToSelectedItem(win::HWND dialog, int listId, const char* entryText, unsigned flags);

// The combo's selected drive becomes current and the list is refilled; a drive that cannot
// be made current leaves the previous drive selected. True when it changed.
bool BrowseToSelectedDrive(win::HWND dialog, int comboId, int listId, const char* entryText, unsigned flags);

}  // namespace merl
