// Reading the layout report through the kit's JSON reader.
#include "layout_file.h"

#include "json_reader.h"

namespace merl_standin {

namespace {

// A u32 member of object into *out (absent: 0); false when present but not one.
bool readNumber(const merl_kit::JsonValue& object, std::string_view key, std::uint32_t* out, std::string* error) {
  const merl_kit::JsonValue* v = object.find(key);
  *out = 0;
  if (!v) return true;
  if (!v->isInteger() || v->integer() < 0 || v->integer() > 0xFFFFFFFFll) {
    *error = "\"" + std::string(key) + "\" is not a 32-bit unsigned number";
    return false;
  }
  *out = static_cast<std::uint32_t>(v->integer());
  return true;
}

}  // namespace

std::optional<SetupLayout> parseLayout(std::string_view text, std::string* error) {
  std::string why;
  auto json = merl_kit::parseJson(text, &why);
  if (!json || !json->isObject()) {
    *error = json ? "not a JSON object" : why;
    return std::nullopt;
  }
  SetupLayout l;
  bool ok = readNumber(*json, "script_length", &l.scriptLength, error) &&
            readNumber(*json, "dialog_block_stored_size", &l.dialogBlockStoredSize, error) &&
            readNumber(*json, "dialog_block_size", &l.dialogBlockSize, error) &&
            readNumber(*json, "on_exit", &l.onExit, error) && readNumber(*json, "on_cancel", &l.onCancel, error);
  if (!ok) return std::nullopt;
  if (const merl_kit::JsonValue* sizes = json->find("support_sizes")) {
    if (!sizes->isObject()) {
      *error = "\"support_sizes\" is not an object";
      return std::nullopt;
    }
    for (int n = 3; n <= 10; ++n)
      if (!readNumber(*sizes, std::to_string(n), &l.supportSizes[n - 3], error)) return std::nullopt;
  }
  return l;
}

}  // namespace merl_standin
