// The process's environment view: Windows variables (names compare without
// regard to case), started from the parent's view or from the machine's
// defaults and [env], and handed to children through one host variable.
#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "win/machine.h"

namespace win {

class EnvironmentView : public MachineState {
 public:
  explicit EnvironmentView(Machine& machine);

  // A variable's value; nullopt when it is not set.
  std::optional<std::string> get(std::string_view name) const;
  // Sets (or with nullopt removes) a variable.
  void set(std::string_view name, std::optional<std::string> value);
  // Every variable in the order they were first set.
  std::vector<std::pair<std::string, std::string>> all() const;

  // The variables as one host variable's value, and back.
  static std::string encode(const std::vector<std::pair<std::string, std::string>>& vars);
  static std::vector<std::pair<std::string, std::string>> decode(std::string_view text);
  // The variables of a Windows environment block ("A=1\0B=2\0\0"); nullopt when it has no end
  // within kMaxEnvironmentBlock bytes.
  static std::optional<std::vector<std::pair<std::string, std::string>>> fromBlock(const char* block);

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<std::string, std::string>> vars_;
};

}  // namespace win
