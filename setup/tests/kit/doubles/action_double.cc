// Action library double (merl_action_double.so), export "SetVars". It logs
// the block it got (either form, told apart by the size field; "raw" holds its
// bytes as hex), then applies
// its parameter text: fields separated by 0x7F, "NAME=VALUE" sets a variable
// and "NAME+=N" adds N to a counter variable, both written into the block's
// tables with the count raised for new names. [action] update_screen and
// handle_ftp call the runtime's exports (found through the loader by the name
// [action] runtime, default MERL0132.DLL); [action] dde_request asks the
// runtime's DDE server for a topic and logs the reply bytes, [action]
// dde_poke offers it a value the same way; [action]
// report_count overwrites the count it hands back; [action] results scripts
// the result.
#include <cstring>
#include <string>
#include <vector>

#include "double_support.h"
#include "merl/outside_libraries.h"
#include "win/clock.h"
#include "win/dde.h"
#include "win/library.h"

namespace {

constexpr const char* kDefaultRuntimeName = "MERL0132.DLL";
constexpr char kFieldSeparator = '\x7F';
constexpr const char* kDdeService = "MerlInst";
constexpr const char* kDdeItem = "value";
constexpr win::DWORD kDdeTimeoutMs = 1000;

// The parts of either block form that the double reads and writes.
struct BlockView {
  bool external = false;
  char* names = nullptr;
  char* values = nullptr;
  unsigned slotLimit = 0;
  unsigned nameSlotSize = 0;
  unsigned valueSlotSize = 0;
  unsigned count = 0;
  const char* parameterText = nullptr;
};

BlockView viewOf(void* block, win::JsonObject& fields) {
  BlockView v;
  win::WORD size = *static_cast<win::WORD*>(block);
  fields.add("size", size);
  if (size == merl::kExternalActionParamsSize || size == merl::kActionParamsSize)
    fields.add("raw", merl_doubles::hexBytes(block, size));
  if (size == merl::kExternalActionParamsSize) {
    auto* b = static_cast<merl::ExternalActionParams*>(block);
    v = {true, b->names, b->values, b->slotLimit, b->nameSlotSize, b->valueSlotSize, b->variableCount, b->parameterText};
    fields.add("form", "external")
        .add("run_state", b->runState)
        .add("log_handle", static_cast<long long>(static_cast<std::intptr_t>(win::handleValue(b->logHandle))))
        .add("message17", merl_doubles::textOf(b->message17))
        .add("message44", merl_doubles::textOf(b->message44))
        .add("silent", b->silentFlag);
  } else if (size == merl::kActionParamsSize) {
    auto* b = static_cast<merl::ActionParams*>(block);
    v = {false, b->names, b->values, b->slotLimit, b->nameSlotSize, b->valueSlotSize, b->variableCount, b->parameterText};
    fields.add("form", "internal")
        .add("run_state", b->runState)
        .add("log_handle", static_cast<long long>(static_cast<std::intptr_t>(win::handleValue(b->logHandle))))
        .add("messages", b->messageTable != nullptr)
        .add("edited_file_flags", b->editedFileFlags);
  } else {
    fields.add("form", "unknown");
    return v;
  }
  fields.add("slot_limit", v.slotLimit)
      .add("name_slot_size", v.nameSlotSize)
      .add("value_slot_size", v.valueSlotSize)
      .add("variable_count", v.count)
      .add("parameter_text", merl_doubles::textOf(v.parameterText));
  return v;
}

bool sameName(const char* slot, std::size_t slotSize, const std::string& name) {
  std::size_t n = ::strnlen(slot, slotSize);
  if (n != name.size()) return false;
  for (std::size_t i = 0; i < n; ++i)
    if (std::toupper(static_cast<unsigned char>(slot[i])) != std::toupper(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

// The value slot of %name%, appended (count raised) when it is new; null when it cannot be.
char* slotFor(BlockView& v, const std::string& name) {
  std::string wrapped = "%" + name + "%";
  if (name.empty() || wrapped.size() > v.nameSlotSize) return nullptr;
  for (unsigned i = 0; i < v.count && i < v.slotLimit; ++i)
    if (sameName(v.names + i * v.nameSlotSize, v.nameSlotSize, wrapped)) return v.values + i * v.valueSlotSize;
  if (v.count >= v.slotLimit) return nullptr;
  char* nameSlot = v.names + v.count * v.nameSlotSize;
  std::memset(nameSlot, 0, v.nameSlotSize);
  std::memcpy(nameSlot, wrapped.data(), wrapped.size());
  return v.values + v.count++ * v.valueSlotSize;
}

void setValue(BlockView& v, const std::string& name, const std::string& value) {
  if (char* slot = slotFor(v, name)) merl_doubles::copyOut(slot, v.valueSlotSize, value);
}

void applyField(BlockView& v, const std::string& field) {
  if (auto plus = field.find("+="); plus != std::string::npos) {
    std::string name = field.substr(0, plus);
    char* slot = slotFor(v, name);
    if (!slot) return;
    long long now = std::strtoll(std::string(slot, ::strnlen(slot, v.valueSlotSize)).c_str(), nullptr, 10);
    merl_doubles::copyOut(slot, v.valueSlotSize,
                          std::to_string(now + merl_doubles::numberOf(field.substr(plus + 2), 0)));
  } else if (auto equals = field.find('='); equals != std::string::npos) {
    setValue(v, field.substr(0, equals), field.substr(equals + 1));
  }
}

void applyParameterText(BlockView& v) {
  std::string text = merl_doubles::textOf(v.parameterText);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(kFieldSeparator, start);
    if (end == std::string::npos) end = text.size();
    applyField(v, text.substr(start, end - start));
    start = end + 1;
  }
}

void writeCount(void* block, const BlockView& v, unsigned count) {
  if (v.external) static_cast<merl::ExternalActionParams*>(block)->variableCount = count;
  else static_cast<merl::ActionParams*>(block)->variableCount = static_cast<win::WORD>(count);
}

// Calls of the runtime's exports that [action] asks for, each logged with its virtual time.
void callRuntimeExports(int index) {
  using namespace merl_doubles;
  std::string flag = scripted("action", "update_screen", index);
  std::string ftp = scripted("action", "handle_ftp", index);
  if (flag.empty() && ftp.empty()) return;
  win::HMODULE runtime = win::GetModuleHandle(configValue("action", "runtime", kDefaultRuntimeName).c_str());
  if (!flag.empty()) {
    auto updateScreen = win::procAddress<win::INT (*)(win::INT)>(runtime, "UpdateScreen");
    win::DWORD start = win::GetTickCount();
    long long result = updateScreen ? updateScreen(static_cast<win::INT>(numberOf(flag, 0))) : -1;
    logCall("action", "UpdateScreen", win::JsonObject()
                                          .add("found", updateScreen != nullptr)
                                          .add("flag", numberOf(flag, 0))
                                          .add("result", result)
                                          .add("virtual_ms", win::GetTickCount() - start));
  }
  if (!ftp.empty()) {
    // handle_ftp = a b c (blank-separated, as one comma entry per call)
    win::DWORD args[3] = {};
    std::size_t at = 0;
    for (auto& a : args) {
      std::size_t next = ftp.find(' ', at);
      a = static_cast<win::DWORD>(numberOf(ftp.substr(at, next - at), 0));
      at = next == std::string::npos ? ftp.size() : next + 1;
    }
    auto handleFtp = win::procAddress<merl::TransferControlProc>(runtime, "HandleFtp");
    win::DWORD start = win::GetTickCount();
    long long result = handleFtp ? handleFtp(args[0], args[1], args[2]) : -1;
    logCall("action", "HandleFtp", win::JsonObject()
                                       .add("found", handleFtp != nullptr)
                                       .add("result", result)
                                       .add("virtual_ms", win::GetTickCount() - start));
  }
}

// [action] dde_request = TOPIC (and dde_format, default CF_TEXT): one request to "MerlInst",
// logged with whether it connected and the reply's bytes as hex (answered false: no data).
void requestThroughDde(int index) {
  using namespace merl_doubles;
  std::string topic = scripted("action", "dde_request", index);
  if (topic.empty()) return;
  auto format = static_cast<win::UINT>(numberOf(scripted("action", "dde_format", index), win::CF_TEXT));
  win::DWORD inst = 0;
  win::DdeInitialize(&inst, nullptr, win::APPCMD_CLIENTONLY, 0);
  win::HCONV conv = win::DdeConnect(inst, win::DdeCreateStringHandle(inst, kDdeService, win::CP_WINANSI),
                                    win::DdeCreateStringHandle(inst, topic.c_str(), win::CP_WINANSI), nullptr);
  win::HDDEDATA data = nullptr;
  if (conv)
    data = win::DdeClientTransaction(nullptr, 0, conv, win::DdeCreateStringHandle(inst, kDdeItem, win::CP_WINANSI),
                                     format, win::XTYP_REQUEST, kDdeTimeoutMs, nullptr);
  std::string bytes(data ? win::DdeGetData(data, nullptr, 0, 0) : 0, '\0');
  if (data) win::DdeGetData(data, reinterpret_cast<win::LPBYTE>(bytes.data()), static_cast<win::DWORD>(bytes.size()), 0);
  logCall("action", "DdeRequest", win::JsonObject()
                                      .add("topic", topic)
                                      .add("format", format)
                                      .add("connected", conv != nullptr)
                                      .add("answered", data != nullptr)
                                      .add("reply", hexBytes(bytes.data(), bytes.size())));
  win::DdeUninitialize(inst);
}

// [action] dde_poke = TOPIC TEXT: one CF_TEXT poke of TEXT (and its NUL) to "MerlInst" on
// that topic, logged with whether it connected and whether the server took it.
void pokeThroughDde(int index) {
  using namespace merl_doubles;
  std::string field = scripted("action", "dde_poke", index);
  if (field.empty()) return;
  std::size_t blank = field.find(' ');
  std::string topic = field.substr(0, blank);
  std::string text = blank == std::string::npos ? "" : field.substr(blank + 1);
  win::DWORD inst = 0;
  win::DdeInitialize(&inst, nullptr, win::APPCMD_CLIENTONLY, 0);
  win::HCONV conv = win::DdeConnect(inst, win::DdeCreateStringHandle(inst, kDdeService, win::CP_WINANSI),
                                    win::DdeCreateStringHandle(inst, topic.c_str(), win::CP_WINANSI), nullptr);
  win::HDDEDATA taken = nullptr;
  if (conv)
    taken = win::DdeClientTransaction(reinterpret_cast<win::LPBYTE>(text.data()),
                                      static_cast<win::DWORD>(text.size() + 1), conv,
                                      win::DdeCreateStringHandle(inst, kDdeItem, win::CP_WINANSI), win::CF_TEXT,
                                      win::XTYP_POKE, kDdeTimeoutMs, nullptr);
  logCall("action", "DdePoke",
          win::JsonObject().add("topic", topic).add("connected", conv != nullptr).add("taken", taken != nullptr));
  win::DdeUninitialize(inst);
}

}  // namespace

MERL_DOUBLE_DLLMAIN("action")

MERL_DOUBLE_EXPORT win::INT SetVars(void* block) {
  using namespace merl_doubles;
  int index = callIndex("action", "SetVars");
  win::JsonObject fields;
  BlockView v = block ? viewOf(block, fields) : BlockView{};
  logCall("action", "SetVars", fields);
  if (v.names && v.values) {
    applyParameterText(v);
    writeCount(block, v, v.count);
    std::string reported = scripted("action", "report_count", index);
    if (!reported.empty()) writeCount(block, v, static_cast<unsigned>(numberOf(reported, 0)));
  }
  pokeThroughDde(index);
  requestThroughDde(index);
  callRuntimeExports(index);
  return static_cast<win::INT>(numberOf(scripted("action", "results", index), 0));
}

static_assert(std::is_same_v<decltype(&SetVars), merl::ExternalActionProc>);
