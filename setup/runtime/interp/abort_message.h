// The interpreter's abort messages: a script message formatted with its argument
// and shown through AbortMessage (which keeps it as the run's last error).
#pragma once

#include <string_view>

namespace merl {

// Script message k of the current language formatted with arg, shown as the abort message.
void ShowAbortMessage(int k, std::string_view arg = {});

}  // namespace merl
