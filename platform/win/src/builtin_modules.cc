// The built-in modules and their exports. The free space is the files layer's
// GetDiskFreeSpaceEx; the network user is [system] user; a
// drive letter is connected to a share when both map to one host directory.
#include "builtin_modules.h"

#include <array>
#include <cstring>
#include <string>

#include "win/error.h"
#include "win/files.h"
#include "win/machine.h"
#include "win/path.h"

namespace win {

namespace {

BOOL diskFreeSpaceExA(LPCSTR dir, PULARGE_INTEGER freeToCaller, PULARGE_INTEGER total, PULARGE_INTEGER totalFree) {
  return GetDiskFreeSpaceEx(dir, freeToCaller, total, totalFree);
}

// Copies text into a caller's buffer of *length bytes; ERROR_MORE_DATA with the size needed.
DWORD copyOut(const std::string& text, LPSTR out, LPDWORD length) {
  if (!length) return ERROR_INVALID_PARAMETER;
  if (!out || *length <= text.size()) {
    *length = static_cast<DWORD>(text.size() + 1);
    return ERROR_MORE_DATA;
  }
  std::memcpy(out, text.c_str(), text.size() + 1);
  return NO_ERROR;
}

// The share connected to a drive name ("X:"), if any.
std::optional<std::string> connectionOf(std::string_view local) {
  if (local.size() != 2 || local[1] != ':') return std::nullopt;
  char letter = static_cast<char>(local[0] & ~0x20);
  const auto& drives = machine().description().drives;
  for (const auto& d : drives) {
    if (d.name.size() != 1 || d.name[0] != letter) continue;
    for (const auto& share : drives)
      if (share.name.size() > 1 && share.hostRoot == d.hostRoot) return share.name;
  }
  return std::nullopt;
}

bool isDeviceName(std::string_view local) {
  return local.size() == 2 && local[1] == ':' && ((local[0] | 0x20) >= 'a' && (local[0] | 0x20) <= 'z');
}

DWORD netGetUserA(LPCSTR name, LPSTR user, LPDWORD length) {
  if (name && *name && !connectionOf(name)) return isDeviceName(name) ? ERROR_NOT_CONNECTED : ERROR_BAD_DEVICE;
  return copyOut(machine().description().system.user, user, length);
}

DWORD netGetConnectionA(LPCSTR local, LPSTR remote, LPDWORD length) {
  if (!local) return ERROR_BAD_DEVICE;
  auto share = connectionOf(local);
  if (!share) return isDeviceName(local) ? ERROR_NOT_CONNECTED : ERROR_BAD_DEVICE;
  return copyOut(*share, remote, length);
}

struct BuiltinExport {
  const BuiltinModule* module;
  const char* name;
  FARPROC proc;
  bool (*present)(const MachineDescription&);
};

bool always(const MachineDescription&) { return true; }
bool hasMpr(const MachineDescription& d) { return d.mpr; }
bool hasFreeSpaceEx(const MachineDescription& d) { return d.getDiskFreeSpaceEx; }
bool hasUser16(const MachineDescription& d) { return d.system.platform != WinPlatform::Nt; }

const BuiltinModule kKernel32{"KERNEL32.DLL", true, always};
const BuiltinModule kMpr{"MPR.DLL", false, hasMpr};
const BuiltinModule kUser{"USER.EXE", false, hasUser16};

// USER.EXE's strings: the registered owner and organization.
constexpr WORD kOwnerString = 514;
constexpr WORD kOrganizationString = 515;

// Exports travel as FARPROC; callers cast them back to their real type.
template <typename F>
FARPROC asProc(F f) {
  return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

const std::array<BuiltinExport, 3>& exports() {
  static const std::array<BuiltinExport, 3> table{{
      {&kKernel32, "GetDiskFreeSpaceExA", asProc(&diskFreeSpaceExA), hasFreeSpaceEx},
      {&kMpr, "WNetGetUserA", asProc(&netGetUserA), always},
      {&kMpr, "WNetGetConnectionA", asProc(&netGetConnectionA), always},
  }};
  return table;
}

}  // namespace

const BuiltinModule* findBuiltinModule(std::string_view fileName, const MachineDescription& description) {
  for (const BuiltinModule* m : {&kKernel32, &kMpr, &kUser})
    if (namesEqual(fileName, m->fileName) && m->present(description)) return m;
  return nullptr;
}

const BuiltinModule& kernel32Module() { return kKernel32; }

const ResourceTable* fillBuiltinResources(const BuiltinModule& module, const MachineDescription& description,
                                          BuiltinResources& resources) {
  if (&module != &kUser) return nullptr;
  resources.texts = {description.system.owner, description.system.organization};
  const WORD ids[] = {kOwnerString, kOrganizationString};
  resources.entries.clear();
  for (std::size_t k = 0; k < resources.texts.size(); ++k)
    resources.entries.push_back({RT_STRING_ID, nullptr, ids[k], nullptr, resources.texts[k].c_str(),
                                 static_cast<DWORD>(resources.texts[k].size() + 1)});
  resources.table = {resources.entries.data(), static_cast<DWORD>(resources.entries.size())};
  return &resources.table;
}

FARPROC builtinExport(const BuiltinModule& module, std::string_view name, const MachineDescription& description) {
  for (const auto& e : exports())
    if (e.module == &module && name == e.name && e.present(description)) return e.proc;
  return nullptr;
}

}  // namespace win
