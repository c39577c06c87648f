// SearchDlg, the caption-less busy dialog (template 103) inside which a drive
// search, a PATH search or the queued self-registration runs one timer tick
// after it shows; SearchDirectoryTree and the search request it fills.
#pragma once

#include <cstddef>
#include <string_view>

#include "constants.h"
#include "merl/setup_interface.h"
#include "run.h"

namespace merl {

inline constexpr int kSearchDialogId = 103;
inline constexpr int kSearchTextId = 1005;
inline constexpr win::UINT_PTR kSearchTimerId = 3825;
inline constexpr win::UINT kSearchDelayMs = 250;

// The request's modes.
inline constexpr BYTE kSearchDrives = 0;
inline constexpr BYTE kSearchPath = 1;
inline constexpr BYTE kSearchSelfRegister = 2;
// The request's flags: fixed drives are skipped with 0x02; network drives searched with 0x02 or 0x04.
inline constexpr BYTE kSkipFixedDrives = 0x02;
inline constexpr BYTE kNetworkDrives = 0x06;
inline constexpr int kDepthLimitShift = 3;

inline constexpr std::size_t kSearchTextSize = kSearchPathLength + 1;

// What f13, f22 and f29 ask of the busy dialog, and what it found.
struct SearchRequest : RunState {
  char fileName[kSearchTextSize] = {};
  char message[kSearchTextSize] = {};
  char foundPath[kSearchTextSize] = {};  // empty when nothing was found
  char directories[kSearchTextSize] = {};  // the PATH search's list; empty: the PATH value
  BYTE mode = kSearchDrives;
  BYTE flags = 0;

  void setFileName(std::string_view text);
  void setMessage(std::string_view text);
  void setDirectories(std::string_view text);
  BYTE depthLimit() const { return static_cast<BYTE>(flags >> kDepthLimitShift); }  // 0: none
};

SearchRequest& searchRequest();

// Looks for name in each directory of the ';'-separated list (empty: the PATH value), read-only,
// hidden and system files included; the first hit into found (size bytes). False when none.
bool SearchPathForFile(const char* name, const char* directories, char* found, std::size_t size);

// Searches the fixed and, as the request's flags ask, network drives A: to Z: in order until
// one gives the request's file name.
void SearchDrives(SearchRequest& request);

// Searches for name under the directory of pattern ("<directory>\*.*"): directories (not
// "." ones, not links) while recurse is set and the request's depth limit allows, other entries
// by name without regard to case. The first match goes into the request's found path.
void SearchDirectoryTree(const char* pattern, const char* name, bool recurse, BYTE depth);

// The dialog procedure (exported by name).
win::INT_PTR SearchDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);

// Shows dialog 103 over owner with the request as prepared; always 1.
int RunSearchDialog(HWND owner);

}  // namespace merl
