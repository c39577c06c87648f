// SearchDlg's timer tick (drive search, PATH search or self-registration, then
// the end of the dialog) and the bounded, link-safe directory-tree search.
#include "ui/search_dlg.h"

#include <cstring>
#include <string>

#include "files/file_utils.h"
#include "files/self_register.h"
#include "text/copy_text.h"
#include "ui/dialog_look.h"
#include "ui/dialog_texts.h"
#include "win/dialog.h"
#include "win/files.h"
#include "win/machine_description.h"
#include "win/message.h"
#include "win/resource.h"
#include "win/system.h"
#include "win/window.h"

namespace merl {

namespace {

constexpr DWORD kSearchAttributes = 0x17;  // read-only, hidden, system, directory
constexpr std::size_t kAllFilesLength = 3;  // "*.*"

bool isDirectory(const FindRecord& f) { return (f.attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0; }
bool isLink(const FindRecord& f) { return (f.attributes & win::FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

bool searchesDrive(win::UINT type, BYTE flags) {
  if (type == win::DRIVE_FIXED) return (flags & kSkipFixedDrives) == 0;
  if (type == win::DRIVE_REMOTE) return (flags & kNetworkDrives) != 0;
  return false;
}

}  // namespace

void SearchDrives(SearchRequest& request) {
  for (char letter = 'A'; letter <= 'Z' && request.foundPath[0] == '\0'; ++letter) {
    char root[] = {letter, ':', '\\', '\0'};
    if (!searchesDrive(win::GetDriveType(root), request.flags)) continue;
    char pattern[] = {letter, ':', '\\', '*', '.', '*', '\0'};
    SearchDirectoryTree(pattern, request.fileName, true, 0);
  }
}

namespace {

void runRequest(HWND dialog) {
  win::KillTimer(dialog, kSearchTimerId);
  SearchRequest& request = searchRequest();
  request.foundPath[0] = '\0';
  switch (request.mode) {
    case kSearchSelfRegister:
      SelfRegister();
      break;
    case kSearchPath:
      if (!SearchPathForFile(request.fileName, request.directories, request.foundPath, sizeof request.foundPath))
        request.foundPath[0] = '\0';
      break;
    default:
      SearchDrives(request);
      break;
  }
  win::EndDialog(dialog, 1);
}

}  // namespace

void SearchRequest::setFileName(std::string_view text) { copyText(fileName, sizeof fileName, text); }
void SearchRequest::setMessage(std::string_view text) { copyText(message, sizeof message, text); }

SearchRequest& searchRequest() { return run().state<SearchRequest>(); }

void SearchRequest::setDirectories(std::string_view text) { copyText(directories, sizeof directories, text); }

void SearchDirectoryTree(const char* pattern, const char* name, bool recurse, BYTE depth) {
  std::size_t length = pattern ? std::strlen(pattern) : 0;
  if (length < kAllFilesLength || length > kSearchPathLength || !name) return;
  SearchRequest& request = searchRequest();
  const std::string base(pattern, length - kAllFilesLength);
  const BYTE limit = request.depthLimit();
  FindRecord find;
  for (int r = FindFirst(pattern, kSearchAttributes, find); r == kFound && request.foundPath[0] == '\0';
       r = FindNext(find)) {
    if (isDirectory(find)) {
      if (find.name[0] == '.' || !recurse || isLink(find)) continue;
      auto next = static_cast<BYTE>(depth + 1);
      if (limit != 0 && next >= limit) continue;
      std::string sub = base + find.name + "\\*.*";
      if (sub.size() <= kSearchPathLength) SearchDirectoryTree(sub.c_str(), name, true, next);
    } else if (win::lstrcmpi(find.name, name) == 0) {
      std::string found = base + find.name;
      if (found.size() <= kSearchPathLength) copyText(request.foundPath, sizeof request.foundPath, found);
    }
  }
  FindEnd(find);
}

win::INT_PTR SearchDlg(HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM) {
  switch (message) {
    case win::WM_INITDIALOG:
      SetupDialogLook(dialog);
      PlaceDialog(dialog, kPlaceCentred);
      win::SetDlgItemText(dialog, kSearchTextId, searchRequest().message);
      win::SetTimer(dialog, kSearchTimerId, kSearchDelayMs, nullptr);
      return win::TRUE;
    case win::WM_TIMER:
      if (wParam == kSearchTimerId) runRequest(dialog);
      return win::FALSE;
    case win::WM_COMMAND:
      return win::TRUE;
    default:
      return win::FALSE;
  }
}

int RunSearchDialog(HWND owner) {
  win::DialogBoxParam(dialogModule(), win::MAKEINTRESOURCE(kSearchDialogId), owner, SearchDlg, 0);
  return 1;
}

}  // namespace merl

extern "C" win::INT_PTR SearchDlg(win::HWND dialog, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return merl::SearchDlg(dialog, message, wParam, lParam);
}
