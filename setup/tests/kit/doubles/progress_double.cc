// Progress library double (support file 6): "Update" logs the command, the
// position code, the texts, the per-mille values and the block it got, and
// returns [progress] result<command> or result: a number, or "main" for the
// block's main window.
#include "double_support.h"
#include "merl/outside_libraries.h"

MERL_DOUBLE_DLLMAIN("progress")

MERL_DOUBLE_EXPORT win::HWND Update(win::INT command, win::INT position, merl::ActionParams* block, win::LPCSTR text,
                                    win::INT totalPerMille, win::INT filePerMille) {
  using namespace merl_doubles;
  int index = callIndex("progress", "Update");
  win::JsonObject fields;
  fields.add("command", command).add("position", position).add("text_given", text != nullptr).add("text", textOf(text));
  fields.add("total_per_mille", totalPerMille).add("file_per_mille", filePerMille);
  if (block) {
    fields.add("block_size", block->size)
        .add("variable_count", block->variableCount)
        .add("parameter_text", textOf(block->parameterText))
        .add("main_window", win::handleValue(block->mainWindow));
  }
  logCall("progress", "Update", fields);
  std::string result = scripted("progress", "result" + std::to_string(command), index);
  if (result.empty()) result = scripted("progress", "result", index, "0");
  if (result == "main") return block ? block->mainWindow : nullptr;
  return win::handleFromValue<win::HWND>(static_cast<std::uintptr_t>(numberOf(result, 0)));
}

static_assert(std::is_same_v<decltype(&Update), merl::ProgressUpdateProc>);
