// The machine.ini parser: the file is cut into sections and lines first, then
// every line of a known section goes through its key's rule in the tables
// below; the first refused line ends the parse with its message.
#include "win/machine_description.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>

#include "platform/files.h"
#include "win/constants.h"
#include "win/path.h"
#include "ini_values.h"

namespace win {

namespace {

using ini::lower;

struct Context {
  MachineDescription& d;
  const std::string& stateDir;
  std::map<std::string, int> driveLines;  // drive name (lower case) -> line
  int windowsLine = 0, systemLine = 0, tempLine = 0;
};

// Applies one line; false with what set when the line is refused.
using Apply = bool (*)(Context&, const IniEntry&, std::string& what);

struct KeyRule {
  const char* key;
  Apply apply;
  bool repeatable;
};

struct SectionRule {
  const char* name;
  std::vector<KeyRule> keys;  // the section's keys
  Apply anyKey;               // or: every key goes here (nullptr: only the keys above)
  bool keyedByDrive = false;  // keys name drives ("C", "c:", "\\server\share")
};

// [system]

bool applyPlatform(Context& c, const IniEntry& e, std::string& what) {
  static const std::array<std::pair<const char*, WinPlatform>, 3> words{
      {{"nt", WinPlatform::Nt}, {"9x", WinPlatform::Win9x}, {"win32s", WinPlatform::Win32s}}};
  for (const auto& [word, platform] : words)
    if (lower(e.value) == word) {
      c.d.system.platform = platform;
      return true;
    }
  what = "unknown platform \"" + e.value + "\" (nt, 9x or win32s)";
  return false;
}

bool applyVersion(Context& c, const IniEntry& e, std::string& what) {
  auto dot = e.value.find('.');
  auto major = ini::number(e.value.substr(0, dot), 255);
  auto minor = dot == std::string::npos ? std::nullopt : ini::number(e.value.substr(dot + 1), 255);
  if (!major || !minor) return ini::refuse(what, "bad version \"" + e.value + "\" (major.minor)");
  c.d.system.majorVersion = static_cast<DWORD>(*major);
  c.d.system.minorVersion = static_cast<DWORD>(*minor);
  return true;
}

bool applyBuild(Context& c, const IniEntry& e, std::string& what) {
  auto n = ini::number(e.value, 65535);
  if (!n) return ini::refuse(what, "bad build number \"" + e.value + "\"");
  c.d.system.build = static_cast<DWORD>(*n);
  return true;
}

bool applyServicePack(Context& c, const IniEntry& e, std::string& what) {
  if (e.value.size() > 127) return ini::refuse(what, "service-pack text longer than 127 characters");
  c.d.system.servicePack = e.value;
  return true;
}

bool applyShell4(Context& c, const IniEntry& e, std::string& what) { return ini::flag(e, c.d.system.shell4, what); }
bool applyAdmin(Context& c, const IniEntry& e, std::string& what) { return ini::flag(e, c.d.system.admin, what); }

bool applyUser(Context& c, const IniEntry& e, std::string& what) {
  if (e.value.empty() || e.value.size() > 256) return ini::refuse(what, "user name must have 1 to 256 characters");
  c.d.system.user = e.value;
  return true;
}

bool applyOwnerText(std::string& field, const IniEntry& e, std::string& what) {
  if (e.value.size() > 255) return ini::refuse(what, e.key + " text longer than 255 characters");
  field = e.value;
  return true;
}
bool applyOwner(Context& c, const IniEntry& e, std::string& what) { return applyOwnerText(c.d.system.owner, e, what); }
bool applyOrganization(Context& c, const IniEntry& e, std::string& what) {
  return applyOwnerText(c.d.system.organization, e, what);
}

bool applyCodepage(Context& c, const IniEntry& e, std::string& what) {
  static const std::array<UINT, 13> known{874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257};
  auto n = ini::number(e.value, 65535);
  if (!n || std::find(known.begin(), known.end(), *n) == known.end())
    return ini::refuse(what, "unknown code page \"" + e.value + "\"");
  c.d.system.codepage = static_cast<UINT>(*n);
  return true;
}

bool applyScreen(Context& c, const IniEntry& e, std::string& what) {
  auto x = e.value.find('x');
  auto w = ini::number(e.value.substr(0, x), 16384);
  auto h = x == std::string::npos ? std::nullopt : ini::number(e.value.substr(x + 1), 16384);
  if (!w || !h || *w == 0 || *h == 0) return ini::refuse(what, "bad screen size \"" + e.value + "\" (WIDTHxHEIGHT)");
  c.d.system.screenWidth = static_cast<int>(*w);
  c.d.system.screenHeight = static_cast<int>(*h);
  return true;
}

bool applyBpp(Context& c, const IniEntry& e, std::string& what) {
  auto n = ini::number(e.value, 32);
  if (!n || (*n != 1 && *n != 4 && *n != 8 && *n != 16 && *n != 24 && *n != 32))
    return ini::refuse(what, "bad colour depth \"" + e.value + "\" (1, 4, 8, 16, 24 or 32)");
  c.d.system.bitsPerPixel = static_cast<int>(*n);
  return true;
}

bool applyMemory(Context& c, const IniEntry& e, std::string& what) {
  auto n = ini::size(e.value);
  if (!n) return ini::refuse(what, "bad memory size \"" + e.value + "\"");
  c.d.system.memoryBytes = *n;
  return true;
}

bool applyDeviceCount(UINT& count, const IniEntry& e, std::string& what) {
  auto n = ini::number(e.value, 64);
  if (!n) return ini::refuse(what, "bad device count \"" + e.value + "\"");
  count = static_cast<UINT>(*n);
  return true;
}
bool applyWave(Context& c, const IniEntry& e, std::string& what) {
  return applyDeviceCount(c.d.system.waveOutDevices, e, what);
}
bool applyMidi(Context& c, const IniEntry& e, std::string& what) {
  return applyDeviceCount(c.d.system.midiOutDevices, e, what);
}

// [dirs]

bool applyDir(const IniEntry& e, std::string& out, bool trailing, std::string& what) {
  DWORD error = 0;
  auto path = parsePathFrom(e.value, nullptr, 0, &error);
  if (!path || path->isUnc()) return ini::refuse(what, "not an absolute path on a drive: \"" + e.value + "\"");
  path->trailingSeparator = trailing && !path->parts.empty();
  out = path->text();
  return true;
}

bool applyWindowsDir(Context& c, const IniEntry& e, std::string& what) {
  c.windowsLine = e.line;
  return applyDir(e, c.d.windowsDir, false, what);
}
bool applySystemDir(Context& c, const IniEntry& e, std::string& what) {
  c.systemLine = e.line;
  return applyDir(e, c.d.systemDir, false, what);
}
bool applyTempDir(Context& c, const IniEntry& e, std::string& what) {
  c.tempLine = e.line;
  return applyDir(e, c.d.tempDir, true, what);
}

// [drives] and the sections keyed by drive

bool applyDrive(Context& c, const IniEntry& e, std::string& what) {
  auto name = ini::driveName(e.key);
  if (!name) return ini::refuse(what, "not a drive letter or \\\\server\\share: \"" + e.key + "\"");
  auto root = ini::hostPath(e.value);
  if (!root) return ini::refuse(what, "host path must be absolute: \"" + e.value + "\"");
  c.driveLines[lower(*name)] = e.line;
  c.d.drives.push_back({*name, *root, e.line});
  return true;
}

bool applyDriveType(Context& c, const IniEntry& e, std::string& what) {
  static const std::array<std::pair<const char*, UINT>, 5> words{{{"removable", DRIVE_REMOVABLE},
                                                                  {"fixed", DRIVE_FIXED},
                                                                  {"remote", DRIVE_REMOTE},
                                                                  {"cdrom", DRIVE_CDROM},
                                                                  {"ramdisk", DRIVE_RAMDISK}}};
  auto name = ini::driveName(e.key);
  if (!name) return ini::refuse(what, "not a drive letter or \\\\server\\share: \"" + e.key + "\"");
  for (const auto& [word, type] : words)
    if (lower(e.value) == word) {
      c.d.driveTypes.emplace_back(*name, type);
      return true;
    }
  return ini::refuse(what, "unknown drive type \"" + e.value + "\" (removable, fixed, remote, cdrom or ramdisk)");
}

bool applyVolume(Context& c, const IniEntry& e, std::string& what) {
  auto name = ini::driveName(e.key);
  if (!name) return ini::refuse(what, "not a drive letter or \\\\server\\share: \"" + e.key + "\"");
  auto fields = ini::splitList(e.value, ',');
  VolumeSettings v{*name, "", 0, 0};
  auto serial = fields.size() == 3 ? ini::serialNumber(fields[1]) : std::nullopt;
  auto cluster = fields.size() == 3 ? ini::number(fields[2], 65536) : std::nullopt;
  bool powerOfTwo = cluster && *cluster >= 512 && (*cluster & (*cluster - 1)) == 0;
  if (!serial || !powerOfTwo || fields[0].size() > 32)
    return ini::refuse(what, "bad volume \"" + e.value + "\" (label, XXXX-XXXX serial, cluster bytes)");
  v.label = fields[0];
  v.serial = *serial;
  v.clusterBytes = static_cast<DWORD>(*cluster);
  c.d.volumes.push_back(v);
  return true;
}

bool applyFreeSpace(Context& c, const IniEntry& e, std::string& what) {
  auto name = ini::driveName(e.key);
  if (!name) return ini::refuse(what, "not a drive letter or \\\\server\\share: \"" + e.key + "\"");
  auto n = ini::size(e.value);
  if (!n) return ini::refuse(what, "bad free space \"" + e.value + "\"");
  c.d.freeSpace.emplace_back(*name, *n);
  return true;
}

// [clock]

bool applyClockStart(Context& c, const IniEntry& e, std::string& what) {
  auto t = ini::dateTime(e.value);
  if (!t) return ini::refuse(what, "bad start time \"" + e.value + "\" (YYYY-MM-DDTHH:MM:SS, 1980-2099)");
  c.d.clock.start = *t;
  return true;
}

bool applyClockVirtual(Context& c, const IniEntry& e, std::string& what) {
  return ini::flag(e, c.d.clock.isVirtual, what);
}

// [env], [services], [windows]

bool applyEnv(Context& c, const IniEntry& e, std::string&) {
  c.d.env.emplace_back(e.key, e.value);
  return true;
}

bool applyService(Context& c, const IniEntry& e, std::string& what) {
  std::string v = lower(e.value);
  if (v != "running" && v != "stopped") return ini::refuse(what, "service state must be running or stopped");
  c.d.services.emplace_back(e.key, v == "running");
  return true;
}

bool applyWindow(Context& c, const IniEntry& e, std::string&) {
  c.d.windows.emplace_back(e.key, e.value);
  return true;
}

// [libraries], [progman]

bool applyMpr(Context& c, const IniEntry& e, std::string& what) { return ini::flag(e, c.d.mpr, what); }
bool applyFreeSpaceEx(Context& c, const IniEntry& e, std::string& what) {
  return ini::flag(e, c.d.getDiskFreeSpaceEx, what);
}
bool applyProgman(Context& c, const IniEntry& e, std::string& what) { return ini::flag(e, c.d.progman, what); }

// [registry]

bool applyReadOnlyKey(Context& c, const IniEntry& e, std::string& what) {
  auto key = ini::registryKey(e.value);
  if (!key) return ini::refuse(what, "not a registry key \"" + e.value + "\" (HKLM\\path, HKEY_LOCAL_MACHINE\\path, ...)");
  c.d.readOnlyKeys.push_back(*key);
  c.d.failures.push_back({platform::FaultOp::RegistryReadOnly, *key, -1, 0, true});
  return true;
}

// [failures]

bool applyFailure(Context& c, const IniEntry& e, std::string& what) {
  auto rule = ini::failureRule(e.key, e.value);
  if (!rule) return ini::refuse(what, "malformed failure line \"" + e.key + " = " + e.value + "\"");
  c.d.failures.push_back(*rule);
  return true;
}

// [ui]

bool applyHostFile(const IniEntry& e, std::string& out, std::string& what) {
  auto p = ini::hostPath(e.value);
  if (!p) return ini::refuse(what, "host path must be absolute: \"" + e.value + "\"");
  out = *p;
  return true;
}
bool applyAnswers(Context& c, const IniEntry& e, std::string& what) { return applyHostFile(e, c.d.ui.answers, what); }
bool applyTranscript(Context& c, const IniEntry& e, std::string& what) {
  return applyHostFile(e, c.d.ui.transcript, what);
}
bool applyLogPixels(Context& c, const IniEntry& e, std::string& what) {
  auto n = ini::number(e.value, 1000);
  if (!n || *n == 0) return ini::refuse(what, "bad logpixelsy \"" + e.value + "\"");
  c.d.ui.logPixelsY = static_cast<int>(*n);
  return true;
}

const std::vector<SectionRule>& sectionRules() {
  static const std::vector<SectionRule> rules{
      {"system",
       {{"platform", applyPlatform, false},
        {"version", applyVersion, false},
        {"build", applyBuild, false},
        {"service-pack", applyServicePack, false},
        {"shell4", applyShell4, false},
        {"admin", applyAdmin, false},
        {"user", applyUser, false},
        {"owner", applyOwner, false},
        {"organization", applyOrganization, false},
        {"codepage", applyCodepage, false},
        {"screen", applyScreen, false},
        {"bpp", applyBpp, false},
        {"memory", applyMemory, false},
        {"wave", applyWave, false},
        {"midi", applyMidi, false}},
       nullptr},
      {"dirs", {{"windows", applyWindowsDir, false}, {"system", applySystemDir, false}, {"temp", applyTempDir, false}},
       nullptr},
      {"drives", {}, applyDrive, true},
      {"drive-types", {}, applyDriveType, true},
      {"volumes", {}, applyVolume, true},
      {"free-space", {}, applyFreeSpace, true},
      {"clock", {{"start", applyClockStart, false}, {"virtual", applyClockVirtual, false}}, nullptr},
      {"env", {}, applyEnv},
      {"libraries", {{"mpr", applyMpr, false}, {"getdiskfreespaceex", applyFreeSpaceEx, false}}, nullptr},
      {"registry", {{"readonly", applyReadOnlyKey, true}}, nullptr},
      {"services", {}, applyService},
      {"failures",
       {{"busy", applyFailure, true},
        {"denied", applyFailure, true},
        {"short-write", applyFailure, true},
        {"read-error", applyFailure, true},
        {"create", applyFailure, true},
        {"settimer", applyFailure, true},
        {"ddeinitialize", applyFailure, true},
        {"loadlibraryex", applyFailure, true},
        {"registry-readonly", applyReadOnlyKey, true}},
       nullptr},
      {"ui",
       {{"answers", applyAnswers, false}, {"transcript", applyTranscript, false}, {"logpixelsy", applyLogPixels, false}},
       nullptr},
      {"windows", {}, applyWindow},
      {"progman", {{"enabled", applyProgman, false}}, nullptr},
  };
  return rules;
}

std::string refusal(int line, const std::string& what) {
  return std::string(kMachineIniName) + ":" + std::to_string(line) + ": " + what;
}

// Applies one line of a known section; duplicate keys are refused unless repeatable.
bool applyEntry(Context& c, const SectionRule& rule, const IniEntry& e, std::map<std::string, int>& seen,
                std::string& what) {
  const KeyRule* key = nullptr;
  for (const auto& k : rule.keys)
    if (lower(e.key) == k.key) key = &k;
  if (!key && !rule.anyKey) return ini::refuse(what, "unknown key \"" + e.key + "\" in [" + rule.name + "]");
  auto drive = rule.keyedByDrive ? ini::driveName(e.key) : std::nullopt;
  std::string seenKey = lower(drive ? *drive : e.key);
  auto first = seen.find(seenKey);
  if (!(key && key->repeatable) && first != seen.end()) {
    std::string at = " (first at line " + std::to_string(first->second) + ")";
    if (rule.anyKey == applyDrive) return ini::refuse(what, "drive " + *drive + " mapped twice" + at);
    return ini::refuse(what, "\"" + e.key + "\" given twice in [" + rule.name + "]" + at);
  }
  seen.emplace(seenKey, e.line);
  return (key ? key->apply : rule.anyKey)(c, e, what);
}

// Fills what the file left open and checks what spans sections.
bool finish(Context& c, std::string* error) {
  auto& d = c.d;
  if (!c.driveLines.count("c")) {
    d.drives.push_back({"C", c.stateDir + "/" + kDrivesDirName + "/C", 0});
    d.defaultDriveC = true;
  } else {
    d.defaultDriveC = false;
  }
  std::stable_sort(d.drives.begin(), d.drives.end(), [](const DriveMapping& a, const DriveMapping& b) {
    return (a.name.size() == 1) > (b.name.size() == 1) || (a.name.size() == 1 && b.name.size() == 1 && a.name < b.name);
  });
  for (auto [dir, line] : {std::pair{&d.windowsDir, c.windowsLine}, {&d.systemDir, c.systemLine}, {&d.tempDir, c.tempLine}}) {
    std::string letter(1, (*dir)[0]);
    if (!c.driveLines.count(lower(letter)) && letter != "C") {
      *error = refusal(line, "directory " + *dir + " is on unmapped drive " + letter + ":");
      return false;
    }
  }
  if (d.system.build == 0) d.system.build = d.system.platform == WinPlatform::Nt ? kDefaultNtBuild : kDefault9xBuild;
  return true;
}

void setDefaults(MachineDescription& d) {
  d.system.user = kDefaultUser;
  d.system.codepage = kDefaultCodePage;
  d.system.screenWidth = kDefaultScreenWidth;
  d.system.screenHeight = kDefaultScreenHeight;
  d.system.bitsPerPixel = kDefaultBitsPerPixel;
  d.system.memoryBytes = kDefaultMemoryBytes;
  d.windowsDir = kDefaultWindowsDir;
  d.systemDir = kDefaultSystemDir;
  d.tempDir = kDefaultTempDir;
  d.clock.start = *ini::dateTime(kDefaultClockStart);
  d.ui.logPixelsY = kDefaultLogPixelsY;
}

}  // namespace

std::optional<MachineDescription> MachineDescription::parse(std::string_view text, const std::string& stateDir,
                                                            std::string* error) {
  MachineDescription d;
  setDefaults(d);
  int badLine = 0;
  std::string what;
  if (!ini::splitSections(text, d.sections, badLine, what)) {
    *error = refusal(badLine, what);
    return std::nullopt;
  }
  Context c{d, stateDir, {}};
  for (const auto& rule : sectionRules()) {
    std::map<std::string, int> seen;
    for (const auto& s : d.sections) {
      if (lower(s.name) != rule.name) continue;
      for (const auto& e : s.entries)
        if (!applyEntry(c, rule, e, seen, what)) {
          *error = refusal(e.line, what);
          return std::nullopt;
        }
    }
  }
  if (!finish(c, error)) return std::nullopt;
  return d;
}

std::optional<MachineDescription> MachineDescription::load(const std::string& stateDir, std::string* error) {
  std::string path = stateDir + "/" + kMachineIniName;
  std::string text;
  if (platform::fileExists(path) && !platform::readWholeFile(path, text)) {
    *error = std::string(kMachineIniName) + ":0: cannot be read";
    return std::nullopt;
  }
  return parse(text, stateDir, error);
}

std::optional<std::string> MachineDescription::value(std::string_view sectionName, std::string_view key) const {
  std::optional<std::string> found;
  for (const auto& e : section(sectionName))
    if (lower(e.key) == lower(std::string(key))) found = e.value;
  return found;
}

std::vector<IniEntry> MachineDescription::section(std::string_view name) const {
  std::vector<IniEntry> out;
  for (const auto& s : sections)
    if (lower(s.name) == lower(std::string(name))) out.insert(out.end(), s.entries.begin(), s.entries.end());
  return out;
}

}  // namespace win
