// --dde-after: one DDE connect to a service once MerlMain has returned.
#pragma once

#include <string>

namespace merl_standin {

// "connected" when the service accepted a conversation on the topic of its own name, else "refused".
std::string ddeConnectAfter(const std::string& service);

}  // namespace merl_standin
