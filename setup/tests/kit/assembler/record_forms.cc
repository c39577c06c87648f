// Field catalogue of every record, checked at compile time against the size
// tables: each field lies inside its fixed part and the string slots add up
// to the table's string counts.
#include "record_forms.h"

namespace merl_asm {

namespace {

using T = FieldType;

constexpr FixedField kInstallFields[] = {
    {"flags_a", T::U8, 1},       {"flags_b", T::U8, 2},      {"start", T::U32, 3},
    {"end", T::U32, 7},          {"date", T::U16, 11},       {"time", T::U16, 13},
    {"size", T::U32, 15},        {"version_high", T::U32, 19}, {"version_low", T::U32, 23},
    {"file_os", T::U32, 27},     {"file_type", T::U32, 31},  {"file_subtype", T::U32, 35},
    {"checksum", T::U32, 39}};
constexpr StringSlot kInstallStrings[] = {{"dest"}, {"desc", true}, {"hook"}};
constexpr StringSlot kInstallSourceStrings[] = {{"dest"}, {"desc", true}, {"hook"}, {"source"}};

constexpr FixedField kFlagsField[] = {{"flags", T::U8, 1}};
constexpr StringSlot kNopStrings[] = {
    {"note"}, {"text1", true}, {"text2", true}, {"text3", true}, {"text4", true}};
constexpr StringSlot kMessageBoxStrings[] = {{"title", true}, {"text", true}};
constexpr StringSlot kProgmanStrings[] = {{"command", true}};
constexpr StringSlot kIniStrings[] = {{"file"}, {"section"}, {"entries"}};

constexpr FixedField kBitmapFields[] = {
    {"flags", T::U16, 1},          {"x", T::U16, 3},
    {"y", T::U16, 5},              {"start", T::U32, 7, true},
    {"end", T::U32, 11, true},     {"size", T::U32, 15, true}};

constexpr StringSlot kExecStrings[] = {{"program"}, {"arguments"}, {"directory"}};
constexpr StringSlot kCallStrings[] = {{"library"}, {"function"}, {"params", true}};
constexpr FixedField kRegistryFields[] = {{"flags", T::U8, 1}, {"type", T::U8, 2}};
constexpr StringSlot kRegistryStrings[] = {{"key"}, {"data"}, {"value_name"}};
constexpr StringSlot kPatternString[] = {{"pattern"}};
constexpr StringSlot kConditionStrings[] = {{"variable"}, {"text"}};
constexpr StringSlot kPathString[] = {{"path"}};
constexpr FixedField kDialogFields[] = {
    {"start", T::U32, 1}, {"end", T::U32, 5}, {"size", T::U32, 9}};
constexpr StringSlot kDialogStrings[] = {{"variable"}, {"value"}};
constexpr FixedField kSysInfoFields[] = {{"code", T::U8, 1}};
constexpr StringSlot kSysInfoStrings[] = {{"variable"}, {"parameter"}};
constexpr StringSlot kVariableString[] = {{"variable"}};
constexpr FixedField kSoundFields[] = {{"flags", T::U8, 1}, {"x", T::I16, 2}, {"y", T::I16, 4}};
constexpr StringSlot kFileString[] = {{"file"}};
constexpr FixedField kLibraryField[] = {{"library", T::U8, 1}};
constexpr StringSlot kOdbcDriverStrings[] = {
    {"manager_variable"}, {"driver_variable"}, {"description"}};
constexpr StringSlot kOdbcSourceStrings[] = {{"driver"}, {"attributes"}};
constexpr StringSlot kTextString[] = {{"text"}};
constexpr StringSlot kRenameStrings[] = {{"old"}, {"new"}};
constexpr FixedField kValueField[] = {{"value", T::U8, 1}};

constexpr RecordForm kForms[] = {
    {"install", 0, kInstallFields, kInstallStrings},
    {"nop", 2, kFlagsField, kNopStrings},
    {"msgbox", 3, kFlagsField, kMessageBoxStrings},
    {"progman", 4, kFlagsField, kProgmanStrings},
    {"ini", 5, {}, kIniStrings},
    {"bitmap", 6, kBitmapFields, {}},
    {"exec", 7, kFlagsField, kExecStrings},
    {"end", 8, kFlagsField, {}},
    {"call", 9, kFlagsField, kCallStrings},
    {"registry", 10, kRegistryFields, kRegistryStrings},
    {"delete", 11, kFlagsField, kPatternString},
    {"if", 12, kFlagsField, kConditionStrings},
    {"else", 13, {}, {}},
    {"progman_open", 15, {}, {}},
    {"progman_close", 16, {}, {}},
    {"mkdir", 17, {}, kPathString},
    {"install_source", 18, kInstallFields, kInstallSourceStrings},
    {"dialog", 20, kDialogFields, kDialogStrings},
    {"sysinfo", 21, kSysInfoFields, kSysInfoStrings},
    {"tempfile", 22, {}, kVariableString},
    {"sound", 23, kSoundFields, kFileString},
    {"exit", 24, {}, {}},
    {"odbc_driver", 25, kLibraryField, kOdbcDriverStrings},
    {"odbc_source", 26, kFlagsField, kOdbcSourceStrings},
    {"remark", 27, {}, {}},
    {"log", 28, {}, kTextString},
    {"rename", 29, {}, kRenameStrings},
    {"log_control", 30, kValueField, kPathString},
    {"endmark", kEndMarkOpcode, {}, {}},
};

constexpr std::size_t widthOf(FieldType type) {
  return type == T::U8 ? 1 : type == T::U32 ? 4 : 2;
}

constexpr std::size_t oneLanguageSize(int opcode) {
  return opcode == kEndMarkOpcode ? 1 : kFixedSize[opcode];
}

constexpr bool formMatchesTables(const RecordForm& form) {
  if (form.opcode != kEndMarkOpcode && (form.opcode >= kOpcodeCount || kFixedSize[form.opcode] == 0))
    return false;
  for (const FixedField& f : form.fields) {
    if (f.offset < 1 || f.offset + widthOf(f.type) > oneLanguageSize(form.opcode)) return false;
    if (f.perLanguage && form.opcode != kBitmapOpcode) return false;
  }
  std::size_t once = 0, perLanguage = 0, groups = 0;
  bool inGroup = false;
  for (const StringSlot& s : form.strings) {
    if (s.perLanguage) {
      ++perLanguage;
      if (!inGroup) ++groups;
    } else {
      ++once;
    }
    inGroup = s.perLanguage;
  }
  if (form.opcode == kEndMarkOpcode) return once == 0 && perLanguage == 0;
  return once == kStringCount[form.opcode] && perLanguage == kLanguageStringCount[form.opcode] &&
         groups <= 1;
}

constexpr bool allFormsMatchTables() {
  for (const RecordForm& form : kForms)
    if (!formMatchesTables(form)) return false;
  return true;
}
static_assert(allFormsMatchTables(), "a record form disagrees with the size tables");

constexpr bool everyOpcodeHasAForm() {
  for (int opcode = 0; opcode < kOpcodeCount; ++opcode) {
    if (kFixedSize[opcode] == 0) continue;
    bool found = false;
    for (const RecordForm& form : kForms) found = found || form.opcode == opcode;
    if (!found) return false;
  }
  return true;
}
static_assert(everyOpcodeHasAForm(), "a valid opcode has no record form");

}  // namespace

std::size_t fieldWidth(FieldType type) { return widthOf(type); }

const RecordForm* findRecordForm(std::string_view mnemonic) {
  for (const RecordForm& form : kForms)
    if (form.mnemonic == mnemonic) return &form;
  return nullptr;
}

const RecordForm* recordFormFor(int opcode) {
  for (const RecordForm& form : kForms)
    if (form.opcode == opcode) return &form;
  return nullptr;
}

std::size_t fixedPartSize(int opcode, int languages) {
  std::size_t size = oneLanguageSize(opcode);
  if (opcode == kBitmapOpcode && languages > 1) size += kBitmapLanguageBytes * (languages - 1);
  return size;
}

}  // namespace merl_asm
