// The ODBC records. The library is loaded only while a record runs; a missing
// library or entry does nothing. Answers come back through local buffers and
// are stored with SetVar, cut to one value slot.
#include "interp/odbc_records.h"

#include <cstring>
#include <string>

#include "entry/screen_services.h"
#include "merl/outside_libraries.h"
#include "script/variables.h"
#include "system/proc_cast.h"
#include "win/library.h"

namespace merl {

namespace {

inline constexpr std::size_t kOdbcPathSize = 260;
inline constexpr char kItemSeparator = 0x7F;
inline constexpr BYTE kCopyDialogOwner = 0x01;
inline constexpr BYTE kControlLibrary = 0x02;
inline constexpr BYTE kSystemSource = 0x04;

// A library loaded for one record and freed with it.
class OdbcLibrary {
 public:
  explicit OdbcLibrary(const char* name) : module_(win::LoadLibrary(name)) {}
  ~OdbcLibrary() {
    if (module_) win::FreeLibrary(module_);
  }
  OdbcLibrary(const OdbcLibrary&) = delete;
  OdbcLibrary& operator=(const OdbcLibrary&) = delete;

  template <typename F>
  F proc(const char* name) const {
    return module_ ? procAs<F>(win::GetProcAddress(module_, name)) : nullptr;
  }

 private:
  HINSTANCE module_;
};

// A list text with DEL made NUL and a further NUL after it.
std::string itemList(std::string_view text) {
  std::string list = expanded(text, kLongTextSize);
  for (char& c : list)
    if (c == kItemSeparator) c = '\0';
  list.push_back('\0');
  return list;
}

// The answer buffer of a result variable, preset with its value.
struct Answer {
  explicit Answer(const std::string& name) : name(name) { GetVar(name, path, sizeof path); }
  void store() {
    path[kValueSlotSize - 1] = '\0';
    SetVar(name, path);
  }
  std::string name;
  char path[kOdbcPathSize] = {};
  win::WORD length = 0;
};

// Creates a missing variable with an empty value (nothing when it does not fit the store).
void makeVariable(const std::string& name) {
  if (!name.empty() && GetVarLength(name) == 0) SetVar(name, "");
}

}  // namespace

void InstallOdbcDriver(const Record& record) {
  std::string managerVariable(record.string(0)), driverVariable(record.string(1));
  makeVariable(managerVariable);
  makeVariable(driverVariable);
  if (run().runState == kStateTest) {
    char sys[kValueSlotSize] = {};
    GetVar("SYS", sys, sizeof sys);
    SetVar(managerVariable, sys);
    SetVar(driverVariable, sys);
    return;
  }
  OdbcLibrary library(record.flags() == 0 ? kOdbcInstallLibrary : kOdbcControlLibrary);
  if (auto manager = library.proc<OdbcDriverManagerProc>(kOdbcDriverManagerExport)) {
    Answer answer(managerVariable);
    manager(answer.path, kOdbcPathSize, &answer.length);
    answer.store();
  }
  std::string description = itemList(record.string(2));
  if (description.size() <= 1) return;
  if (auto driver = library.proc<OdbcDriverProc>(kOdbcDriverExport)) {
    Answer answer(driverVariable);
    driver(nullptr, description.c_str(), answer.path, kOdbcPathSize, &answer.length);
    answer.store();
  }
}

void ConfigureOdbcSource(const Record& record) {
  if (run().runState == kStateTest) return;
  BYTE flags = record.flags();
  HWND owner = nullptr;
  if (flags & kCopyDialogOwner) owner = run().state<CopyProgressLink>().copyDialog;
  else if (run().setup()) owner = run().setup()->mainWindow;
  bool control = flags & kControlLibrary;
  OdbcLibrary library(control ? kOdbcControlLibrary : kOdbcInstallLibrary);
  auto configure = library.proc<OdbcConfigProc>(kOdbcConfigExport);
  if (!configure) return;
  std::string driver = expanded(record.string(0), kTitleSize);
  std::string attributes = itemList(record.string(1));
  bool system = control && (flags & kSystemSource);
  if (!configure(owner, system ? kOdbcAddSysDsn : kOdbcAddDsn, driver.c_str(), attributes.c_str()))
    configure(owner, system ? kOdbcConfigSysDsn : kOdbcConfigDsn, driver.c_str(), attributes.c_str());
}

int OdbcDriverRecord(const Record& record) {
  InstallOdbcDriver(record);
  return kNextRecord;
}

int OdbcSourceRecord(const Record& record) {
  ConfigureOdbcSource(record);
  return kNextRecord;
}

}  // namespace merl
