// JSON text of the layout; names are identifiers, so nothing needs escaping.
#include "layout_report.h"

namespace merl_asm {

namespace {

void key(std::string& out, const std::string& name, std::uint64_t value, bool last = false) {
  out += "  \"" + name + "\": " + std::to_string(value) + (last ? "\n" : ",\n");
}

}  // namespace

std::string layoutJson(const Layout& layout) {
  std::string out = "{\n";
  key(out, "script_length", layout.scriptLength);
  key(out, "language_count", layout.languageCount);
  out += "  \"support_sizes\": {";
  for (std::size_t i = 0; i < layout.supportSizes.size(); ++i)
    out += (i ? ", \"" : "\"") + std::to_string(i + kFirstSupportFile) + "\": " + std::to_string(layout.supportSizes[i]);
  out += "},\n";
  key(out, "dialog_block_stored_size", layout.dialogBlockStoredSize);
  key(out, "dialog_block_size", layout.dialogBlockSize);
  key(out, "on_exit", layout.onExit);
  key(out, "on_cancel", layout.onCancel);
  key(out, "data_offset", layout.dataOffset);
  key(out, "data_base", layout.dataBase);
  out += "  \"data\": {";
  for (std::size_t i = 0; i < layout.data.size(); ++i)
    out += (i ? ", \"" : "\"") + layout.data[i].name + "\": {\"start\": " + std::to_string(layout.data[i].start) +
           ", \"end\": " + std::to_string(layout.data[i].end) + "}";
  out += "},\n";
  out += "  \"labels\": {";
  for (std::size_t i = 0; i < layout.labels.size(); ++i)
    out += (i ? ", \"" : "\"") + layout.labels[i].name + "\": " + std::to_string(layout.labels[i].offset);
  out += "}\n}\n";
  return out;
}

}  // namespace merl_asm
