// Expansion of variable references: first matching slot at each '%', values
// inserted unexpanded, unknown references removed, the text kept within the limit.
#include "script/expansion.h"

#include <string>

#include "script/variables.h"

namespace merl {

namespace {

void expand(char* destination, std::string_view source, std::size_t limit, bool blankLineEnds) {
  if (limit == 0) return;
  const std::size_t cap = limit - 1;
  source = source.substr(0, source.find('\0'));
  const bool inPlace = source.data() == destination;
  std::string text(inPlace ? source : source.substr(0, cap));
  const VariableStore& store = variables();
  for (std::size_t scan = 0;;) {
    std::size_t at = text.find('%', scan);
    if (at == std::string::npos) break;
    int slot = store.count > 0 ? store.matchAt(std::string_view(text).substr(at)) : -1;
    if (slot < 0) {
      std::size_t close = text.find('%', at + 1);
      text.erase(at, close == std::string::npos ? std::string::npos : close - at + 1);
      scan = at;
      continue;
    }
    std::string_view value = store.valueOf(slot);
    std::string rest = text.substr(at + store.nameOf(slot).size());
    std::size_t room = at < cap ? cap - at : 0;
    if (value.size() > room) value = value.substr(0, room);
    text.resize(at);
    std::size_t valueAt = text.size();
    text += value;
    if (blankLineEnds)
      for (std::size_t i = valueAt; i < text.size(); ++i)
        if (text[i] == '\r' || text[i] == '\n') text[i] = ' ';
    text += std::string_view(rest).substr(0, room - value.size());
    scan = at + value.size();
  }
  if (text.size() > cap) text.resize(cap);
  text.copy(destination, text.size());
  destination[text.size()] = '\0';
}

}  // namespace

void ExpandVars(char* destination, std::string_view source, std::size_t limit) {
  expand(destination, source, limit, false);
}

void ExpandVarsForLog(char* destination, std::string_view source, std::size_t limit) {
  expand(destination, source, limit, true);
}

void ExpandVars256(char* destination, std::string_view source) { ExpandVars(destination, source, kExpandLimit256); }

}  // namespace merl
