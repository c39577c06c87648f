// LanguageDlg, the list dialog (template 107): the language choice, whose list
// holds two strings per language (display name and system language name), and
// extract mode's multiple choice of files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "entry/extract_files.h"
#include "merl/setup_interface.h"
#include "win/types.h"

namespace merl {

inline constexpr int kLanguageDialogId = 107;
inline constexpr int kLanguageListId = 1008;
inline constexpr int kFileListId = 1010;
inline constexpr int kDescriptionTextId = 1001;
inline constexpr std::size_t kDisplayNameLength = 63;
inline constexpr DWORD kAskLanguageOption = 0x100000;  // setup record option: always ask
inline constexpr std::size_t kMaxSelectedFiles = 15360;  // indexes the extract choice takes at most
inline constexpr int kFileListTabStops[] = {64, 98, 140};  // dialog units

// The dialog procedure (exported by name).
win::INT_PTR LanguageDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Runs dialog 107 over the language list at listPosition of the current image, with the
// dialog texts as prepared (description = prompt, answer = default system name). Sets the
// header's current language and %LANGUAGES%; returns the dialog's result (1 = OK).
int ChooseLanguage(DWORD listPosition);

// The extract list's line of a file: name, date, time and size between tabs.
std::string ExtractFileLine(const ExtractFileEntry& file);

// Runs dialog 107 as the multiple choice over files with prompt as its description; the chosen
// indexes in list order (none when cancelled).
std::vector<std::size_t> ChooseExtractFiles(const std::vector<ExtractFileEntry>& files, std::string_view prompt);

}  // namespace merl
