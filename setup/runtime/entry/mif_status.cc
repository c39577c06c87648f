// WriteMifStatus.
#include "entry/mif_status.h"

#include <string>

#include "files/file_utils.h"
#include "merl/outside_libraries.h"
#include "script/expansion.h"
#include "script/script_header.h"
#include "win/files.h"
#include "win/library.h"

namespace merl {

namespace {

enum ProductString { kMif = 0, kManufacturer = 2, kProduct = 3, kVersion = 4, kSerial = 5 };

std::string text(const ScriptHeader& h, int k) { return std::string(h.product[k]); }

bool endsWithMif(const std::string& name) {
  if (name.size() < 4) return false;
  std::string end = name.substr(name.size() - 4);
  for (char& c : end)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return end == ".mif";
}

}  // namespace

void WriteMifStatus() {
  const ScriptHeader& h = scriptHeader();
  if (h.product[kMif].empty()) return;
  char windows[win::MAX_PATH] = {};
  UINT n = win::GetWindowsDirectory(windows, sizeof windows);
  if (n == 0 || n >= sizeof windows) return;
  std::string path = std::string(windows) + (windows[n - 1] == '\\' ? "" : "\\") + "ismif32.dll";
  HINSTANCE library = win::LoadLibrary(path.c_str());
  if (!library) return;
  auto report = win::procAddress<InstallStatusMifProc>(library, kStatusMifExport);
  if (!report) {
    win::FreeLibrary(library);
    return;
  }
  char mif[kPathBufferSize] = {};
  ExpandVars256(mif, h.product[kMif]);
  std::string name = mif;
  if (endsWithMif(name)) name.resize(name.size() - 4);
  if (report(name.c_str(), text(h, kManufacturer).c_str(), text(h, kProduct).c_str(), text(h, kVersion).c_str(), "",
             text(h, kSerial).c_str(), "", 1))
    win::FreeLibrary(library);
}

}  // namespace merl
